#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "logging/text_log_reader.h"

namespace stillmon {

// A line of a saved log that holds one whole record, as a live run writes it.
struct RecordLine {
    TextLogRecord fields;  // as the replay reads them: leading blanks and tabs skipped
    std::uint16_t record_number = 0;
    // The values as written, without the replay's offsets.
    std::array<double, 8> temperatures_c{};
    double proof = 0.0;
    std::string device_time;
    double interval_s = 0.0;
};

// Takes a line (without its line end) as one record, or says in `fault` why it is none:
// not exactly 13 comma-separated fields; text before the first comma; a channel item that
// is not its channel's name, "=" and a decimal number whose raw value (the value times the
// channel's divisor) fits 16 bits; a proof item that is not "Proof=" and a number a float holds;
// a device time of other characters than digits, ":", "_" and "-"; an interval that is not
// a finite decimal number; a count that is not "Num=" and 0 to 65535. The replay reads
// damaged lines as records regardless (text_log_reader.h); the report skips them.
std::optional<RecordLine> read_record_line(std::string_view line, std::string& fault);

}  // namespace stillmon
