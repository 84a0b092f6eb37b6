#include "stillsim/link_file.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace stillmon::stillsim {

namespace fs = std::filesystem;

std::string point_link_at(const std::string& link_path, const std::string& target) {
    std::error_code error;
    const fs::file_status existing = fs::symlink_status(link_path, error);
    if (fs::exists(existing) && !fs::is_symlink(existing)) {
        return link_path + " exists and is not a symbolic link";
    }
    const std::string temporary = link_path + ".stillsim-" + std::to_string(getpid());
    fs::remove(temporary, error);
    fs::create_symlink(target, temporary, error);
    if (error) {
        return temporary + ": " + error.message();
    }
    fs::rename(temporary, link_path, error);
    if (error) {
        const std::string reason = link_path + ": " + error.message();
        fs::remove(temporary, error);
        return reason;
    }
    return {};
}

void remove_link_to(const std::string& link_path, const std::string& target) {
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(link_path, error)) &&
        fs::read_symlink(link_path, error) == fs::path(target)) {
        fs::remove(link_path, error);
    }
}

}  // namespace stillmon::stillsim
