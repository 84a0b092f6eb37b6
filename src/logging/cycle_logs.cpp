#include "logging/cycle_logs.h"

namespace stillmon {

CycleLogs::CycleLogs(std::string text_log_path, std::string binary_log_path, Say report_error)
    : text_log_(std::move(text_log_path), report_error),
      binary_log_(std::move(binary_log_path), report_error) {}

CycleLogs::~CycleLogs() {
    close();
}

std::string CycleLogs::write_cycle_logs(const TelemetryFrame& frame, const ChannelLines& lines,
                                        float proof_value, double frame_interval_s) {
    const std::string time_and_count = compose_time_and_count_text(frame, frame_interval_s);
    const std::vector<std::uint8_t> record = compose_binary_log_record(frame);
    const std::string line = compose_text_log_line(lines, proof_value, time_and_count);

    std::lock_guard lock(mutex_);
    binary_log_.append(
        std::string_view(reinterpret_cast<const char*>(record.data()), record.size()));
    text_log_.append(line + "\r\n");
    return line;
}

void CycleLogs::close() {
    std::lock_guard lock(mutex_);
    text_log_.close();
    binary_log_.close();
}

}  // namespace stillmon
