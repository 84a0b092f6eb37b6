#pragma once

#include <array>
#include <cstdio>
#include <memory>
#include <string>

namespace stillmon {

inline constexpr int text_log_field_count = 13;
using TextLogRecord = std::array<std::string, text_log_field_count>;

// Reads a saved text log (the replay's input) field by field, as a stream: a log of any
// size replays in constant memory. A log that cannot be opened or read is at its end.
class TextLogReader {
  public:
    static constexpr std::size_t longest_field = 4096;

    explicit TextLogReader(const std::string& path);
    // Reads from an open stream it then owns (tests, fuzzing).
    explicit TextLogReader(std::FILE* stream);
    ~TextLogReader();
    TextLogReader(const TextLogReader&) = delete;
    TextLogReader& operator=(const TextLogReader&) = delete;

    // True when no character is left to read.
    bool at_end();

    // One field: leading blanks and tabs skipped; quoted with double quotes, or ended by a
    // comma, a line end (LF or CR LF), a CR alone or the end of the file; at most 4096
    // characters. A quoted field ends at its closing quote or a line end and keeps a CR
    // alone. Commas and line ends both end a field, so records may span lines.
    std::string read_field();
    TextLogRecord read_record();

    void close();

  private:
    int next();
    int peek();
    void skip_blanks();
    // After a quoted field or a full one: blanks skipped, then a comma or line end consumed.
    void finish_field();
    // Consumes an LF after a CR that was just read, if there is one.
    void consume_lf_after_cr();

    std::FILE* stream_ = nullptr;
    // A CR alone after a quoted or a full field was consumed while looking for a line end;
    // it still makes the next field, an empty one.
    bool lone_cr_read_ = false;
};

// Opens a saved log to read, or returns null with the system's error number in `error`
// (open_log_stream).
std::unique_ptr<TextLogReader> open_text_log(const std::string& path, int& error);

}  // namespace stillmon
