#pragma once

#include <limits>

#include "base/cycle_record.h"

namespace stillmon {

// A cycle's record whose device time needs quoting or escaping in every written form (a comma,
// quotes, '<' and a Latin-1 degree sign), with a strength that is not a number and no stages
// or reflux ratio.
inline CycleRecord cycle_record_example() {
    CycleRecord record;
    record.record_number = 65535;
    record.device_time = "14:30,4\"5\"<\xB0";
    record.interval_s = 1.002;
    record.temperatures_c = {78.125f, 87.5f, -0.0625f, 97.5f, 25.0f, 25.25f, 24.375f, 0.0f};
    record.proof = 45.5f;
    record.liquid_strength = 12.5f;
    record.vapour_strength = std::numeric_limits<float>::quiet_NaN();
    record.valve = 20.0f;
    record.flow = 0.25f;
    record.timing_errors = 3;
    return record;
}

}  // namespace stillmon
