#include "logging/log_file.h"

#include <filesystem>

namespace stillmon {

LogFile::LogFile(std::string path, Say report_error)
    : path_(std::move(path)), report_error_(std::move(report_error)) {
    const std::error_code error = file_.open(path_);
    if (!error) {
        std::error_code unknown;
        opened_empty_ = std::filesystem::file_size(path_, unknown) == 0 && !unknown;
        return;
    }
    if (!report_error_) {
        return;
    }
    const std::string reason = error == std::make_error_code(AppendFile::held_elsewhere)
                                   ? "another stillmon is logging to it"
                                   : error.message();
    report_error_("stillmon: cannot open " + path_ + ": " + reason +
                  "; nothing will be logged to it");
}

void LogFile::append(std::string_view piece) {
    if (!file_.is_open()) {
        return;
    }
    const std::error_code error = file_.append(piece);
    const bool failed = static_cast<bool>(error);
    if (failed == failing_) {
        return;
    }
    failing_ = failed;
    if (report_error_) {
        report_error_(error ? "stillmon: cannot write " + path_ + ": " + error.message()
                            : "stillmon: writing " + path_ + " again");
    }
}

}  // namespace stillmon
