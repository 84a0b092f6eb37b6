#include "report/whole_output.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <system_error>
#include <utility>

namespace stillmon::report {

namespace {

std::string random_suffix() {
    static std::mt19937_64 generator{std::random_device{}()};
    constexpr char digits[] = "0123456789abcdef";
    std::string suffix = ".";
    for (int i = 0; i < 12; ++i) {
        suffix += digits[generator() % 16];
    }
    return suffix + ".tmp";
}

}  // namespace

void report_error(std::ostream& errors, std::string_view what, const std::string& path,
                  int reason) {
    errors << "stillmon-report: cannot " << what << ' ' << path << ": "
           << std::generic_category().message(reason) << std::endl;
}

std::FILE* TemporaryOutputs::create_beside(const std::string& target, std::string& temporary,
                                           int& error) {
    const std::lock_guard lock(files_mutex_);
    std::FILE* file = nullptr;
    do {
        temporary = target + random_suffix();
        file = std::fopen(temporary.c_str(), "wbx");  // a new file, or none
    } while (file == nullptr && errno == EEXIST);
    if (file == nullptr) {
        error = errno;
        return nullptr;
    }
    files_.emplace_back(temporary, target);
    return file;
}

void TemporaryOutputs::remove(const std::string& temporary) {
    const std::lock_guard lock(files_mutex_);
    if (std::erase_if(files_, [&](const auto& file) { return file.first == temporary; }) > 0) {
        std::remove(temporary.c_str());
    }
}

bool TemporaryOutputs::move_all_into_place(std::string& failed_target, int& error) {
    const std::lock_guard lock(files_mutex_);
    bool moved = true;
    for (const auto& [temporary, target] : files_) {
        std::error_code reason;
        if (moved) {
            std::filesystem::rename(temporary, target, reason);
            if (!reason) {
                continue;
            }
            failed_target = target;
            error = reason.value();
            moved = false;
        }
        std::remove(temporary.c_str());  // after a failure, the rest stay unmoved
    }
    files_.clear();
    return moved;
}

void TemporaryOutputs::remove_all_and_exit(int status) {
    files_mutex_.lock();
    for (const auto& file : files_) {
        std::remove(file.first.c_str());
    }
    std::_Exit(status);
}

WholeOutput::WholeOutput(const std::string& path, TemporaryOutputs& temporaries,
                         std::ostream& errors)
    : path_(path), temporaries_(temporaries), errors_(errors) {
    std::error_code ignored;
    const auto status = std::filesystem::status(path, ignored);
    int reason = 0;
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        file_ = std::fopen(path.c_str(), "wb");
        reason = errno;
    } else {
        // A link to a file is followed: the file it names is replaced, not the link.
        const auto target = std::filesystem::exists(status)
                                ? std::filesystem::canonical(path, ignored).string()
                                : path;
        file_ = temporaries_.create_beside(target.empty() ? path : target, temporary_, reason);
    }
    if (file_ == nullptr) {
        temporary_.clear();
        report_error(errors_, "write", path_, reason);
    }
}

WholeOutput::~WholeOutput() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
    remove_temporary();
}

void WholeOutput::write(std::string_view bytes) {
    if (file_ != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
        report_error(errors_, "write", path_, errno);
        std::fclose(std::exchange(file_, nullptr));
        remove_temporary();
    }
}

bool WholeOutput::finish() {
    if (file_ == nullptr) {
        return false;
    }
    if (std::fclose(std::exchange(file_, nullptr)) != 0) {
        report_error(errors_, "write", path_, errno);
        remove_temporary();
        return false;
    }
    return true;
}

void WholeOutput::remove_temporary() {
    if (!temporary_.empty()) {
        temporaries_.remove(temporary_);
        temporary_.clear();
    }
}

}  // namespace stillmon::report
