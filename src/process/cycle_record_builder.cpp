#include "process/cycle_record_builder.h"

#include <cstddef>

#include "base/channel_table.h"

namespace stillmon {

namespace {

float shown_value(const TelemetryFrame& frame, int channel) {
    return static_cast<float>(frame[channel]) /
           static_cast<float>(channel_table[static_cast<std::size_t>(channel)].divisor);
}

}  // namespace

CycleRecord make_cycle_record(const TelemetryFrame& frame, const DerivedValues& derived,
                              const CycleReadouts& shown, const CycleContext& context) {
    CycleRecord record;
    record.record_number = context.record_number;
    record.device_time = context.device_time;
    record.interval_s = context.interval_s;
    for (int c = 0; c < CycleRecord::temperature_count; ++c) {
        record.temperatures_c[static_cast<std::size_t>(c)] = shown_value(frame, c);
    }
    record.proof = context.proof;
    record.liquid_strength = derived.input_strength;
    record.vapour_strength = derived.output_strength;
    if (shown.stage_line) {
        record.has_stages = true;
        record.whole_stages = shown.stage_line->whole_stages;
        record.stages = shown.stage_line->stages;
    }
    record.valve = shown_value(frame, element::valve);
    record.flow = shown_value(frame, element::flow);
    if (shown.ratio) {
        // Kept as the reflux channel charts it: the ratio times the channel's divisor.
        record.has_reflux_ratio = true;
        record.reflux_ratio =
            shown.ratio->ratio / static_cast<float>(channel_table[reflux_channel].divisor);
    }
    record.timing_errors = context.timing_errors;
    return record;
}

}  // namespace stillmon
