#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <string>

#include "app/readouts.h"
#include "base/operator_state.h"
#include "base/telemetry_frame.h"
#include "display/guide_line.h"
#include "display/strip_chart.h"
#include "display/surface.h"
#include "logging/log_lines.h"
#include "process/chart_value.h"
#include "process/derived_values.h"

namespace {

using namespace stillmon;

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

// The drawing side of one acquisition cycle in the large window: the calculation step with
// its readouts (stage line, valve readouts, ratio line), the status panel and the 18 strip
// charts. The lines are composed beforehand; composing them belongs to the logs.
void BM_DisplayCycleLarge(benchmark::State& state) {
    Surface surface(large_screen);
    draw_guide_line(surface);
    StripChart chart;
    DerivedValues derived;
    OperatorState parameters;
    parameters.ratio_period.store(0);  // a ratio line in every cycle
    std::array<ChannelLines, 64> lines;
    std::array<std::string, 64> record_lines;
    std::array<TelemetryFrame, 64> frames;
    for (int i = 0; i < 64; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        frames[slot] = typical_frame(i);
        lines[slot] = compose_channel_lines(frames[slot]);
        record_lines[slot] = compose_text_log_line(lines[slot], 0.0f,
                                                   compose_time_and_count_text(frames[slot], 0.85));
    }
    int cycle = 0;
    for (auto _ : state) {
        const auto slot = static_cast<std::size_t>(cycle % 64);
        TelemetryFrame frame = frames[slot];
        print_cycle_readouts(surface, derive_cycle_values(frame, derived, parameters));
        print_status_panel(surface, lines[slot], record_lines[slot], parameters);
        for (int c = 0; c < 16; ++c) {
            chart.plot_channel(surface, c, frame[c]);
        }
        chart.plot_channel(surface, reflux_channel, chart_raw_value(derived.channel18_value));
        chart.plot_channel(surface, stage_channel, chart_raw_value(derived.stage_value));
        ++cycle;
        benchmark::DoNotOptimize(surface.revision());
    }
}
BENCHMARK(BM_DisplayCycleLarge)->Unit(benchmark::kMicrosecond);

// The same without the calculation step: the display's own share.
void BM_PanelAndChartsLarge(benchmark::State& state) {
    Surface surface(large_screen);
    StripChart chart;
    OperatorState parameters;
    const TelemetryFrame frame = typical_frame(3);
    const ChannelLines lines = compose_channel_lines(frame);
    const std::string record_line =
        compose_text_log_line(lines, 0.0f, compose_time_and_count_text(frame, 0.85));
    int cycle = 0;
    for (auto _ : state) {
        print_status_panel(surface, lines, record_line, parameters);
        for (int c = 0; c < 16; ++c) {
            chart.plot_channel(surface, c, static_cast<std::int16_t>(frame[c] + cycle % 40));
        }
        chart.plot_channel(surface, reflux_channel, static_cast<std::int16_t>(380 + cycle % 50));
        chart.plot_channel(surface, stage_channel, static_cast<std::int16_t>(5964 - cycle % 100));
        ++cycle;
        benchmark::DoNotOptimize(surface.revision());
    }
}
BENCHMARK(BM_PanelAndChartsLarge)->Unit(benchmark::kMicrosecond);

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
