#pragma once

#include <cstdint>
#include <optional>

#include "base/telemetry_frame.h"
#include "logging/text_log_reader.h"

namespace stillmon {

// The record count after "Num=" in field 12, rounded to the nearest integer (halves to
// even); nullopt when the field holds no "Num=". A count beyond the 32-bit range is taken
// as the nearest limit, and a text that reads as no number as 0.
std::optional<std::int32_t> logged_record_count(const std::string& count_field);

// Rebuilds frame elements 0 to 7 from fields 1 to 8 of an accepted record: where the field's
// first five characters name the channel (blanks trimmed on both sides), its value from the
// seventh character on, times the divisor plus the replay offset, rounded (halves to even).
// A result outside the 16-bit range stores -32768; a field naming another channel leaves the
// element as it was.
void refill_frame_from_record(TelemetryFrame& frame, const TextLogRecord& record);

}  // namespace stillmon
