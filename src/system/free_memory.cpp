#include "system/free_memory.h"

#include <algorithm>
#include <charconv>

namespace stillmon {

std::optional<std::uint64_t> available_memory_bytes(std::string_view meminfo) {
    constexpr std::string_view key = "MemAvailable:";
    std::size_t at = meminfo.find(key);
    while (at != std::string_view::npos && at != 0 && meminfo[at - 1] != '\n') {
        at = meminfo.find(key, at + 1);
    }
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view rest = meminfo.substr(at + key.size());
    rest.remove_prefix(std::min(rest.find_first_not_of(" \t"), rest.size()));
    std::uint64_t kilobytes = 0;
    const auto result = std::from_chars(rest.data(), rest.data() + rest.size(), kilobytes);
    if (result.ec != std::errc{} || result.ptr == rest.data()) {
        return std::nullopt;
    }
    return kilobytes * 1024;
}

}  // namespace stillmon
