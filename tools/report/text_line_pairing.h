#pragma once

#include <cstdint>
#include <cstdio>
#include <deque>
#include <optional>
#include <string>

#include "logging/log_line_reader.h"

namespace stillmon::report {

// What only the text log holds of a cycle.
struct TextLogValues {
    double interval_s = 0.0;
    double proof = 0.0;
};

// Finds the text log's line of each binary-log record in turn. A live cycle writes its record
// and its line together, so both logs hold their cycles in the same order, but either can
// lack some (a crash between the two writes, a damaged stretch or line, a full disk): a
// record's line is the first among the next lines that has its record number and device time,
// and the lines before it are passed over. Lines that hold no whole record are passed over as
// the report's text log would skip them. At most `lines_ahead` lines are held.
class TextLinePairing {
  public:
    static constexpr std::size_t lines_ahead = 1024;

    explicit TextLinePairing(std::FILE* text_log);  // owns the stream

    std::optional<TextLogValues> values_of(std::uint16_t record_number,
                                           const std::string& device_time);

  private:
    struct Line {
        std::uint16_t record_number = 0;
        std::string device_time;
        TextLogValues values;
    };

    bool read_one_more();

    LogLineReader reader_;
    std::deque<Line> ahead_;
};

}  // namespace stillmon::report
