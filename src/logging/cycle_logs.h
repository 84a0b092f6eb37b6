#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "base/telemetry_frame.h"
#include "logging/log_lines.h"
#include "system/append_file.h"

namespace stillmon {

// The text log and the binary log of a live run, opened for appending and held exclusively.
// Every cycle's record and line reach the disk whole before the next cycle begins, so a crash
// or a power cut costs at most the cycle in flight, and each log stays a sequence of whole
// lines or records whatever happens to the other one. A log that cannot be opened (or that
// another stillmon holds) is reported once and left alone for the run; a write that fails is
// reported once, and once more when that log takes writes again. The cycle goes on in every
// case.
class CycleLogs {
  public:
    using ErrorReporter = std::function<void(std::string_view message)>;

    CycleLogs(std::string text_log_path, std::string binary_log_path, ErrorReporter report_error);
    ~CycleLogs();
    CycleLogs(const CycleLogs&) = delete;
    CycleLogs& operator=(const CycleLogs&) = delete;

    // Appends the binary record ("==N$$" then the 38 frame bytes) and the text-log line with
    // CR LF; returns the line without its CR LF as the record line.
    std::string write_cycle_logs(const TelemetryFrame& frame, const ChannelLines& lines,
                                 float proof_value, double frame_interval_s);

    // Safe from any thread: a write in progress completes first. Later writes do nothing.
    void close();

  private:
    struct LogFile {
        std::string path;
        AppendFile file;
        bool failing = false;  // the last write failed and was reported
    };

    void open(LogFile& log);
    void append(LogFile& log, std::string_view piece);

    std::mutex mutex_;  // one cycle's writes against a close from the supervisor or a signal
    LogFile text_log_;
    LogFile binary_log_;
    ErrorReporter report_error_;
};

}  // namespace stillmon
