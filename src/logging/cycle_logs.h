#pragma once

#include <mutex>
#include <string>

#include "base/telemetry_frame.h"
#include "logging/log_file.h"
#include "logging/log_lines.h"

namespace stillmon {

// The text log and the binary log of a live run (logging/log_file.h). Every cycle's record and
// line reach the disk whole before the next cycle begins, so a crash or a power cut costs at
// most the cycle in flight, and each log stays a sequence of whole lines or records whatever
// happens to the other one. The cycle goes on whatever the logs do.
class CycleLogs {
  public:
    CycleLogs(std::string text_log_path, std::string binary_log_path, Say report_error);
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
    std::mutex mutex_;  // one cycle's writes against a close from the supervisor or a signal
    LogFile text_log_;
    LogFile binary_log_;
};

}  // namespace stillmon
