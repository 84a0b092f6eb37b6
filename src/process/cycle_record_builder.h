#pragma once

#include <cstdint>
#include <string>

#include "base/cycle_record.h"
#include "base/telemetry_frame.h"
#include "process/derived_values.h"

namespace stillmon {

// What a cycle knows beside its frame and derived values.
struct CycleContext {
    std::uint16_t record_number = 0;  // the frame's (live), the logged count (replay)
    std::string device_time;
    double interval_s = 0.0;
    float proof = 0.0f;
    int timing_errors = 0;
};

// The one way a cycle's values become a CycleRecord, for live cycles, replayed ones and the
// report of a saved run alike: called after derive_cycle_values, with the frame it left (valve
// and flow averaged) and what it returned.
CycleRecord make_cycle_record(const TelemetryFrame& frame, const DerivedValues& derived,
                              const CycleReadouts& shown, const CycleContext& context);

}  // namespace stillmon
