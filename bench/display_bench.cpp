#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <string>

#include "app/acquisition_cycle.h"
#include "base/operator_state.h"
#include "base/telemetry_frame.h"
#include "display/guide_line.h"
#include "display/strip_chart.h"
#include "display/surface.h"
#include "logging/cycle_logs.h"
#include "support/cycle_fakes.h"

namespace {

using namespace stillmon;
using test_support::FakeHost;
using test_support::FakeLink;

TelemetryFrame typical_frame(int cycle) {
    TelemetryFrame frame;
    constexpr std::array<std::int16_t, 16> base{1472, 1408,  1360, 1256,  400, 403, 390,  480,
                                                4000, 15000, -200, 20000, 75,  123, 1280, 200};
    for (int c = 0; c < 16; ++c) {
        frame[c] = static_cast<std::int16_t>(base[static_cast<std::size_t>(c)] + (cycle % 64) * 3);
    }
    frame[element::time_hours] = 0x0E1E;
    frame[element::time_seconds] = static_cast<std::int16_t>(0x2D00 + cycle % 7);
    frame[element::record_number] = static_cast<std::int16_t>(cycle);
    return frame;
}

// One live acquisition cycle in the large window, as the program runs it: the calculation
// step with its readouts (stage line, valve readouts, ratio line), the log lines composed and
// written, the status panel and the 18 strip charts. The frames come without waiting and the
// logs go to /dev/null, so the figure is the cycle's own work, without the device or a disk.
void BM_LiveCycleLarge(benchmark::State& state) {
    Surface surface(large_screen);
    draw_guide_line(surface);
    OperatorState parameters;
    parameters.ratio_period.store(0);  // a ratio line in every cycle
    FakeHost host;
    AcquisitionCycle cycle(surface, parameters, host);
    FakeLink link(host);
    CycleLogs logs("/dev/null", "/dev/null", {});
    std::array<TelemetryFrame, 64> frames;
    for (int i = 0; i < 64; ++i) {
        frames[static_cast<std::size_t>(i)] = typical_frame(i);
    }
    int count = 0;
    for (auto _ : state) {
        // 0.85 s from frame to frame with the cycle's 0.5 s pause: no timing error.
        link.queue(0.35, frames[static_cast<std::size_t>(count % 64)]);
        cycle.run_live_cycle(link, logs);
        ++count;
        benchmark::DoNotOptimize(surface.revision());
    }
}
BENCHMARK(BM_LiveCycleLarge)->Unit(benchmark::kMicrosecond);

void BM_PlotChannelLarge(benchmark::State& state) {
    Surface surface(large_screen);
    StripChart chart;
    std::int16_t raw = 1256;
    for (auto _ : state) {
        chart.plot_channel(surface, 0, raw);
        raw = static_cast<std::int16_t>(raw == 1400 ? 1200 : raw + 1);
    }
}
BENCHMARK(BM_PlotChannelLarge)->Unit(benchmark::kMicrosecond);

void BM_PrintHundredCharacters(benchmark::State& state) {
    Surface surface(large_screen);
    const std::string line(100, 'x');
    for (auto _ : state) {
        surface.set_text_position(10, 20);
        surface.print(line, true);
    }
}
BENCHMARK(BM_PrintHundredCharacters);

}  // namespace
