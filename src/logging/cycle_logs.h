#pragma once

#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "base/telemetry_frame.h"
#include "logging/log_lines.h"

namespace stillmon {

// The text log and the binary log of a live run, opened for appending.
// Every cycle's record and line reach the disk before the next cycle begins (flushed and
// synced), so a crash or a power cut costs at most the cycle in flight. A log that could not
// be opened or written makes its writes do nothing; the cycle goes on.
class CycleLogs {
  public:
    using ErrorReporter = std::function<void(std::string_view message)>;

    CycleLogs(std::string text_log_path, std::string binary_log_path, ErrorReporter report_error);
    ~CycleLogs();
    CycleLogs(const CycleLogs&) = delete;
    CycleLogs& operator=(const CycleLogs&) = delete;

    // Appends the binary record ("==N$$" then the 38 frame bytes, as two writes) and the
    // text-log line with CR LF; returns the line without its CR LF as the record line.
    std::string write_cycle_logs(const TelemetryFrame& frame, const ChannelLines& lines,
                                 float proof_value, double frame_interval_s);

    // Safe from any thread: a write in progress completes first. Later writes do nothing.
    void close();

  private:
    struct LogFile {
        std::string path;
        std::FILE* stream = nullptr;
        bool failure_reported = false;
    };

    void open(LogFile& file);
    void write(LogFile& file, const void* bytes, std::size_t size);
    void commit(LogFile& file);
    void report_failure(LogFile& file, int error_number);

    std::mutex mutex_;  // one cycle's writes against a close from the supervisor or a signal
    LogFile text_log_;
    LogFile binary_log_;
    ErrorReporter report_error_;
};

}  // namespace stillmon
