#include "logging/cycle_logs.h"

namespace stillmon {

CycleLogs::CycleLogs(std::string text_log_path, std::string binary_log_path,
                     ErrorReporter report_error)
    : report_error_(std::move(report_error)) {
    text_log_.path = std::move(text_log_path);
    binary_log_.path = std::move(binary_log_path);
    open(text_log_);
    open(binary_log_);
}

CycleLogs::~CycleLogs() {
    close();
}

void CycleLogs::open(LogFile& log) {
    const std::error_code error = log.file.open(log.path);
    if (!error || !report_error_) {
        return;
    }
    const std::string reason = error == std::make_error_code(AppendFile::held_elsewhere)
                                   ? "another stillmon is logging to it"
                                   : error.message();
    report_error_("stillmon: cannot open " + log.path + ": " + reason +
                  "; nothing will be logged to it");
}

void CycleLogs::append(LogFile& log, std::string_view piece) {
    if (!log.file.is_open()) {
        return;
    }
    const std::error_code error = log.file.append(piece);
    const bool failed = static_cast<bool>(error);
    if (failed == log.failing) {
        return;
    }
    log.failing = failed;
    if (report_error_) {
        report_error_(error ? "stillmon: cannot write " + log.path + ": " + error.message()
                            : "stillmon: writing " + log.path + " again");
    }
}

std::string CycleLogs::write_cycle_logs(const TelemetryFrame& frame, const ChannelLines& lines,
                                        float proof_value, double frame_interval_s) {
    const std::string time_and_count = compose_time_and_count_text(frame, frame_interval_s);
    const std::vector<std::uint8_t> record = compose_binary_log_record(frame);
    const std::string line = compose_text_log_line(lines, proof_value, time_and_count);

    std::lock_guard lock(mutex_);
    append(binary_log_,
           std::string_view(reinterpret_cast<const char*>(record.data()), record.size()));
    append(text_log_, line + "\r\n");
    return line;
}

void CycleLogs::close() {
    std::lock_guard lock(mutex_);
    text_log_.file.close();
    binary_log_.file.close();
}

}  // namespace stillmon
