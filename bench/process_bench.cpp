#include <benchmark/benchmark.h>

#include "base/operator_state.h"
#include "base/telemetry_frame.h"
#include "process/derived_values.h"
#include "process/equilibrium_table.h"
#include "process/interpolation.h"
#include "process/stage_count.h"

namespace {

using namespace stillmon;

// Tank 98.625 degrees and steam 78.1875 degrees: the longest stage chain the frame can carry
// (18 stages).
constexpr std::int16_t longest_chain_tank = 1578;
constexpr std::int16_t longest_chain_steam = 1251;

void BM_InterpolateTableNinePoints(benchmark::State& state) {
    // Walks the frame's temperatures so the search length varies as it does in use.
    int raw = 1251;
    for (auto _ : state) {
        benchmark::DoNotOptimize(interpolate_table(static_cast<float>(raw) / 16.0f,
                                                   equilibrium_column::boiling_temperature,
                                                   equilibrium_column::liquid_by_volume, 9));
        if (++raw > 1598) {
            raw = 1251;
        }
    }
}
BENCHMARK(BM_InterpolateTableNinePoints);

void BM_CountStagesLongestChain(benchmark::State& state) {
    const float input =
        interpolate_table(longest_chain_tank / 16.0f, equilibrium_column::boiling_temperature,
                          equilibrium_column::liquid_by_volume, 9);
    const float output =
        interpolate_table(longest_chain_steam / 16.0f, equilibrium_column::boiling_temperature,
                          equilibrium_column::vapour_by_volume, 9);
    for (auto _ : state) {
        benchmark::DoNotOptimize(count_stages(input, output, 4));
    }
}
BENCHMARK(BM_CountStagesLongestChain);

void BM_DeriveCycleValuesLongestChain(benchmark::State& state) {
    DerivedValues values;
    OperatorState parameters;
    TelemetryFrame frame;
    for (auto _ : state) {
        frame[element::tank] = longest_chain_tank;
        frame[element::steam] = longest_chain_steam;
        frame[element::valve] = 200;
        frame[element::flow] = 75;
        benchmark::DoNotOptimize(derive_cycle_values(frame, values, parameters));
        benchmark::DoNotOptimize(values.channel18_value);
    }
}
BENCHMARK(BM_DeriveCycleValuesLongestChain);

}  // namespace
