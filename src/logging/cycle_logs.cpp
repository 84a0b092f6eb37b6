#include "logging/cycle_logs.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace stillmon {

namespace {
constexpr std::size_t stream_buffer_bytes = 8192;
}

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

void CycleLogs::open(LogFile& file) {
    // Binary append: the bytes go to the end unchanged, CR LF included.
    file.stream = std::fopen(file.path.c_str(), "ab");
    if (file.stream != nullptr) {
        std::setvbuf(file.stream, nullptr, _IOFBF, stream_buffer_bytes);
    }
}

void CycleLogs::report_failure(LogFile& file, int error_number) {
    if (file.failure_reported || !report_error_) {
        return;
    }
    file.failure_reported = true;
    std::string message = "stillmon: cannot write ";
    message += file.path;
    message += ": ";
    message += std::strerror(error_number);
    report_error_(message);
}

void CycleLogs::write(LogFile& file, const void* bytes, std::size_t size) {
    if (file.stream == nullptr) {
        return;
    }
    if (std::fwrite(bytes, 1, size, file.stream) != size) {
        report_failure(file, errno);
    }
}

void CycleLogs::commit(LogFile& file) {
    if (file.stream == nullptr) {
        return;
    }
    if (std::fflush(file.stream) != 0) {
        report_failure(file, errno);
        // Drop what could not be written, so the next cycle's bytes are not stuck behind it.
        std::clearerr(file.stream);
        return;
    }
    ::fdatasync(::fileno(file.stream));
}

std::string CycleLogs::write_cycle_logs(const TelemetryFrame& frame, const ChannelLines& lines,
                                        float proof_value, double frame_interval_s) {
    const std::string time_and_count = compose_time_and_count_text(frame, frame_interval_s);
    const std::vector<std::uint8_t> record = compose_binary_log_record(frame);
    const std::string line = compose_text_log_line(lines, proof_value, time_and_count);

    std::lock_guard lock(mutex_);
    const std::size_t marker_size = record.size() - frame_size_bytes;
    write(binary_log_, record.data(), marker_size);
    write(binary_log_, record.data() + marker_size, frame_size_bytes);
    write(text_log_, line.data(), line.size());
    write(text_log_, "\r\n", 2);
    commit(binary_log_);
    commit(text_log_);
    return line;
}

void CycleLogs::close() {
    std::lock_guard lock(mutex_);
    for (LogFile* file : {&text_log_, &binary_log_}) {
        if (file->stream != nullptr) {
            std::fclose(file->stream);
            file->stream = nullptr;
        }
    }
}

}  // namespace stillmon
