#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace stillmon {

// One line of a saved log as the report takes it.
struct LogLine {
    std::uint64_t number = 0;  // counted from 1
    std::string text;          // without its line end (LF or CR LF); empty when too long
    std::uint64_t length = 0;  // bytes before the line end, kept or not
    bool too_long = false;     // longer than any record line: read through, not kept
    bool ended = false;        // false when the log ends inside the line (a cut last line)
};

// Reads a saved log line by line in bounded memory, whatever the lines hold: a line of
// 100 MB of commas is counted through, not held.
class LogLineReader {
  public:
    // A record line is some 130 bytes; ten times that leaves room for any record a live run
    // writes and for a recognisable fault in one it did not.
    static constexpr std::size_t longest_kept = 1300;

    explicit LogLineReader(std::FILE* stream);  // owns the stream
    ~LogLineReader();
    LogLineReader(const LogLineReader&) = delete;
    LogLineReader& operator=(const LogLineReader&) = delete;

    // Nothing once the log has ended, or reading failed.
    std::optional<LogLine> next();
    // Reading ended on an error rather than at the end of the log: the system's error number.
    int read_error() const { return read_error_; }

  private:
    bool refill();

    std::FILE* stream_;
    std::vector<char> buffer_;
    std::size_t position_ = 0;
    std::size_t filled_ = 0;
    std::uint64_t lines_ = 0;
    int read_error_ = 0;
};

// Opens a saved log to read, or returns null with the system's error number in `error`. A
// folder opens as a file would, so its first character is read here too; that reading fails.
std::FILE* open_log_stream(const std::string& path, int& error);

}  // namespace stillmon
