#include "display/snapshot_name.h"

#include <array>
#include <cstdio>

namespace stillmon {

std::string snapshot_file_name(const std::tm& local_time) {
    std::array<char, 96> name{};
    std::snprintf(name.data(), name.size(), "stillmon-%04d%02d%02d-%02d%02d%02d.png",
                  local_time.tm_year + 1900, local_time.tm_mon + 1, local_time.tm_mday,
                  local_time.tm_hour, local_time.tm_min, local_time.tm_sec);
    return name.data();
}

std::string snapshot_file_name_now() {
    const std::time_t now = std::time(nullptr);
    std::tm local_time{};
    localtime_r(&now, &local_time);
    return snapshot_file_name(local_time);
}

std::string numbered_snapshot_name(const std::string& name, int n) {
    if (n <= 1) {
        return name;
    }
    constexpr std::string_view extension = ".png";
    const std::size_t stem =
        name.ends_with(extension) ? name.size() - extension.size() : name.size();
    return name.substr(0, stem) + "-" + std::to_string(n) + name.substr(stem);
}

}  // namespace stillmon
