#include "stillsim/fault_plan.h"

#include "base/telemetry_frame.h"

namespace stillmon::stillsim {

// Its own stream, apart from the jitter's and the noise's, so switching faults on leaves the
// frames' timing and values as they were.
FaultPlan::FaultPlan(double mean_gap_s, std::uint32_t seed)
    : mean_gap_s_(mean_gap_s), random_(seed ^ 0x5eed'fa17u) {}

double FaultPlan::uniform(double low, double high) {
    // From the raw 32-bit draw: library distributions differ between standard libraries.
    return low + (high - low) * (static_cast<double>(random_()) / 4294967295.0);
}

int FaultPlan::whole_number(int low, int high) {
    const auto span = static_cast<std::uint32_t>(high - low + 1);
    return low + static_cast<int>(random_() % span);
}

PlannedFault FaultPlan::next() {
    PlannedFault fault;
    fault.gap_s = uniform(0.5 * mean_gap_s_, 1.5 * mean_gap_s_);
    fault.kind = static_cast<FaultKind>(whole_number(0, 3));
    switch (fault.kind) {
        case FaultKind::stall:
            fault.length_s = uniform(stall_min_s, stall_max_s);
            break;
        case FaultKind::hangup:
            fault.length_s = uniform(hangup_min_s, hangup_max_s);
            break;
        case FaultKind::dropped_byte:
            fault.byte_index = whole_number(0, static_cast<int>(frame_size_bytes) - 1);
            break;
        case FaultKind::period_error:
            fault.frames = whole_number(burst_min_frames, burst_max_frames);
            fault.period_s = uniform(burst_min_period_s, burst_max_period_s);
            break;
    }
    return fault;
}

}  // namespace stillmon::stillsim
