#pragma once

#include <cstdint>

namespace stillmon {

// The raw chart value of a derived float (channel-18 value, stage value): the nearest integer,
// ties to the even one. A value that does not fit a signed 16-bit integer after rounding, or
// is not a number, is charted as -32768.
std::int16_t chart_raw_value(float value);

}  // namespace stillmon
