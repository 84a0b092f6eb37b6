#pragma once

#include <cstdint>

namespace stillmon::stillsim {

// The device clock as the frame carries it: element 17 = hours << 8 | minutes,
// element 16 = seconds << 8 | tenths of a second.
struct DeviceTimeStamp {
    std::int16_t hours_minutes = 0;
    std::int16_t seconds_tenths = 0;
};

inline constexpr double seconds_per_day = 24.0 * 3600.0;

// Encodes a time of day in seconds; values outside one day wrap around midnight.
DeviceTimeStamp encode_time_stamp(double seconds_of_day);

// The record number that follows `current`. The device counts 1, 2, ... 65535 and then
// starts again at 1: a record numbered 0 would be skipped by stillmon's replay, so the
// device never sends one.
std::uint16_t next_record_number(std::uint16_t current);

}  // namespace stillmon::stillsim
