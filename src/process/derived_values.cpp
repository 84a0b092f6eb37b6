#include "process/derived_values.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

#include "base/channel_table.h"
#include "process/equilibrium_table.h"
#include "process/interpolation.h"
#include "process/stage_count.h"

namespace stillmon {

namespace {

constexpr int strength_points = 9;
constexpr int stage_points = 4;
constexpr float raw_units_per_degree = 16.0f;

// One read of a parameter shared with the supervisor thread, kept inside 0..256 so that no
// window can reach past the sample buffers.
int read_parameter(const std::atomic<int>& parameter) {
    return std::clamp(parameter.load(), 0, OperatorState::window_limit);
}

using SampleBuffer = std::array<float, DerivedValues::sample_capacity>;

// Entries beyond window + 1 are left as they are: a window that grows again takes them in.
void shift_in_sample(SampleBuffer& samples, int window, std::int16_t sample) {
    for (auto j = static_cast<std::size_t>(window) + 1; j >= 1; --j) {
        samples[j] = samples[j - 1];
    }
    samples[0] = static_cast<float>(sample);
}

// Averages entries 1..window, not 0..window - 1: the sample taken in this cycle enters the
// average from the next cycle on.
std::int16_t sample_average(const SampleBuffer& samples, int window) {
    float sum = 0.0f;
    for (std::size_t j = 1; j <= static_cast<std::size_t>(window); ++j) {
        sum = static_cast<float>(static_cast<long double>(sum) + samples[j]);
    }
    // Halves round up. Samples are 16-bit values, so the average always fits; the clamp only
    // keeps the conversion defined.
    const long double average = std::floor(static_cast<long double>(sum) / window + 0.5L);
    return static_cast<std::int16_t>(
        std::clamp(average, static_cast<long double>(std::numeric_limits<std::int16_t>::min()),
                   static_cast<long double>(std::numeric_limits<std::int16_t>::max())));
}

void derive_strengths(const TelemetryFrame& frame, DerivedValues& state) {
    const float tank_temperature = frame[element::tank] / raw_units_per_degree;
    const float steam_temperature = frame[element::steam] / raw_units_per_degree;
    state.input_strength =
        interpolate_table(tank_temperature, equilibrium_column::boiling_temperature,
                          equilibrium_column::liquid_by_volume, strength_points);
    state.output_strength =
        interpolate_table(steam_temperature, equilibrium_column::boiling_temperature,
                          equilibrium_column::vapour_by_volume, strength_points);
    state.strength_test_passed = state.input_strength > 0.0f && state.output_strength > 0.0f &&
                                 state.output_strength > state.input_strength;
}

ValveReadouts average_valve(TelemetryFrame& frame, DerivedValues& state, int window) {
    shift_in_sample(state.valve_samples, window, frame[element::valve]);
    frame[element::valve] = sample_average(state.valve_samples, window);
    return {state.valve_samples[0], frame[element::valve]};
}

void average_flow(TelemetryFrame& frame, DerivedValues& state, int window) {
    shift_in_sample(state.flow_samples, window, frame[element::flow]);
    frame[element::flow] = sample_average(state.flow_samples, window);
}

void add_reflux_terms(const TelemetryFrame& frame, DerivedValues& state) {
    ++state.period_counter;
    state.denominator_sum += frame[element::first_stage] + frame[element::out_water] -
                             frame[element::second_stage] - frame[element::bottom_heat_exchanger];
    state.numerator_sum += frame[element::second_stage] - frame[element::out_water];
}

std::optional<RatioReadouts> end_ratio_period(const TelemetryFrame& frame, DerivedValues& state) {
    const Channel& reflux = channel_table[reflux_channel];
    state.period_counter = 0;
    const auto denominator = static_cast<float>(state.denominator_sum);
    state.denominator_sum = 0;
    // Within a period of at most 257 cycles the product stays inside 32 bits; the wider
    // product only keeps a larger one defined.
    const auto numerator =
        static_cast<float>(static_cast<std::int64_t>(reflux.divisor) * state.numerator_sum);
    state.numerator_sum = 0;
    state.held_top_heat_exchanger = frame[element::top_heat_exchanger];
    if (!state.strength_test_passed) {
        return std::nullopt;
    }

    float ratio = static_cast<float>(static_cast<long double>(numerator) / denominator);
    // Also catches 0 / 0; a zero denominator with a positive numerator runs into the limit.
    if (!(ratio >= 0.0f)) {
        ratio = 0.0f;
    }
    const auto ratio_limit = static_cast<float>(reflux.range_high * reflux.divisor);
    if (ratio > ratio_limit) {
        ratio = ratio_limit;
    }
    state.reflux_ratio = ratio;

    return RatioReadouts{denominator, numerator, ratio};
}

}  // namespace

CycleReadouts derive_cycle_values(TelemetryFrame& frame, DerivedValues& state,
                                  const OperatorState& parameters) {
    CycleReadouts shown;
    derive_strengths(frame, state);

    if (state.strength_test_passed) {
        shown.stage_line = count_stages(state.input_strength, state.output_strength, stage_points);
        const float stages = shown.stage_line ? shown.stage_line->stages : 0.0f;
        state.stage_value = static_cast<float>(static_cast<long double>(stages) * 1000.0L);
    }

    if (const int valve_window = read_parameter(parameters.valve_window); valve_window >= 1) {
        shown.valve = average_valve(frame, state, valve_window);
    }
    if (const int flow_window = read_parameter(parameters.flow_window); flow_window >= 1) {
        average_flow(frame, state, flow_window);
    }

    add_reflux_terms(frame, state);
    if (const int ratio_period = read_parameter(parameters.ratio_period);
        state.period_counter > ratio_period) {
        shown.ratio = end_ratio_period(frame, state);
    }

    const int correction_gain = read_parameter(parameters.correction_gain);
    const std::int32_t top_change =
        state.held_top_heat_exchanger - frame[element::top_heat_exchanger];
    state.channel18_value =
        static_cast<float>(static_cast<long double>(state.reflux_ratio) +
                           static_cast<long double>(top_change * correction_gain) / 100.0L);
    return shown;
}

}  // namespace stillmon
