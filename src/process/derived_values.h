#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "base/operator_state.h"
#include "base/telemetry_frame.h"
#include "process/stage_count.h"

namespace stillmon {

// What the per-cycle calculation keeps from one cycle to the next. Owned by the acquisition
// cycle (main thread) for the whole run; the link re-opening and redraws leave it alone.
struct DerivedValues {
    // A window of up to 256 samples plus the entry shifted in at index window + 1.
    static constexpr int sample_capacity = 258;
    static constexpr float start_reflux_ratio = 437.0f;

    float stage_value = 0.0f;  // fractional stage count x 1000, charted as channel 19
    std::array<float, sample_capacity> valve_samples{};  // entry 0 is this cycle's sample
    std::array<float, sample_capacity> flow_samples{};
    std::int16_t period_counter = 0;  // cycles counted in the current ratio period
    std::int32_t numerator_sum = 0;
    std::int32_t denominator_sum = 0;
    float reflux_ratio = start_reflux_ratio;
    std::int16_t held_top_heat_exchanger = 0;  // element 4 when the last ratio period ended
    float channel18_value = 0.0f;              // corrected reflux ratio, charted as channel 18

    // This cycle's strengths (% by volume, 0.0 = no result) and whether they made sense
    // together (both above 0, vapour stronger than liquid).
    float input_strength = 0.0f;
    float output_strength = 0.0f;
    bool strength_test_passed = false;
};

struct ValveReadouts {
    float sample = 0.0f;  // this cycle's
    std::int16_t average = 0;
    bool operator==(const ValveReadouts&) const = default;
};

struct RatioReadouts {
    float denominator = 0.0f;  // the period's sum
    float numerator = 0.0f;    // the period's sum times the reflux channel's divisor
    float ratio = 0.0f;        // as kept in DerivedValues::reflux_ratio
    bool operator==(const RatioReadouts&) const = default;
};

// What one calculation step leaves to be shown (see the readout table); an absent readout
// keeps what its place showed before.
struct CycleReadouts {
    std::optional<StageCount> stage_line;  // when the strength test passed
    std::optional<ValveReadouts> valve;    // when the valve window is 1 or more
    std::optional<RatioReadouts> ratio;    // at the end of a ratio period that passed the test
    bool operator==(const CycleReadouts&) const = default;
};

// The calculation step of one acquisition cycle, run after the frame is in place and before
// anything is composed, logged or charted from it:
//   - liquid strength from the tank temperature, vapour strength from the steam temperature;
//   - the stage value when the strengths make sense together;
//   - moving averages of the valve (element 15) and the flow (element 12), written back into
//     the frame in place of the samples;
//   - the reflux sums, and at the end of each ratio period the reflux ratio;
//   - the channel-18 value, corrected by the TopHE change since the period ended.
// Each operator parameter is read once, at the start of the sub-step that uses it; a value
// outside 0..256 (never stored by the key handling) is taken as the nearest limit.
CycleReadouts derive_cycle_values(TelemetryFrame& frame, DerivedValues& state,
                                  const OperatorState& parameters);

}  // namespace stillmon
