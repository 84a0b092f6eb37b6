#include <benchmark/benchmark.h>

#include <string>

#include "app/acquisition_cycle.h"
#include "base/operator_state.h"
#include "base/window_picture.h"
#include "display/guide_line.h"
#include "display/sdl_snapshot.h"
#include "display/surface.h"
#include "logging/cycle_logs.h"
#include "support/cycle_fakes.h"
#include "web/live_view.h"
#include "web/page_answers.h"

namespace {

using namespace stillmon;
using test_support::FakeHost;
using test_support::FakeLink;

// The large window after some minutes of cycles: charts across the whole width, readouts.
WindowPicture drawn_window() {
    Surface surface(large_screen);
    draw_guide_line(surface);
    OperatorState parameters;
    FakeHost host;
    AcquisitionCycle cycle(surface, parameters, host);
    FakeLink link(host);
    CycleLogs logs("/dev/null", "/dev/null", {});
    for (int i = 0; i < 1200; ++i) {
        TelemetryFrame frame;
        for (int c = 0; c < 16; ++c) {
            frame[c] = static_cast<std::int16_t>(1200 + 40 * c + (i * (c + 3)) % 97);
        }
        frame[element::record_number] = static_cast<std::int16_t>(i + 1);
        link.queue(0.35, frame);
        cycle.run_live_cycle(link, logs);
    }
    const auto pixels = surface.pixels();
    return {surface.width(), surface.height(), {pixels.begin(), pixels.end()}};
}

// /window.png's work for each new copy of the window (1280 x 1024): the PNG the page serves,
// the same bytes as an F12 snapshot.
void BM_WindowPictureEncode(benchmark::State& state) {
    const WindowPicture picture = drawn_window();
    std::size_t bytes = 0;
    for (auto _ : state) {
        bytes = encode_picture_png(picture).value_or("").size();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["png_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_WindowPictureEncode)->Unit(benchmark::kMillisecond);

// What the cycle adds when the page is served: its record published into the history.
void BM_PublishCycle(benchmark::State& state) {
    LiveView view;
    CycleRecord record;
    record.device_time = "14:30:45_7";
    double now = 0.0;
    for (auto _ : state) {
        view.publish_cycle(record, now += 1.0);
    }
}
BENCHMARK(BM_PublishCycle);

// A page opened after 12 hours: one answer of /api/history (its most records) from a full
// history, and /api/latest.
void BM_HistoryAnswer(benchmark::State& state) {
    LiveView view;
    CycleRecord record;
    record.device_time = "14:30:45_7";
    record.temperatures_c = {92.3125f, 86.1875f, 82.3125f, 79.0f, 50.0625f, 35.625f, 24.75f, 32.0f};
    record.liquid_strength = 10.461821f;
    record.vapour_strength = 91.81744f;
    for (int i = 0; i < 12 * 3600; ++i) {
        view.publish_cycle(record, i);
    }
    PageAnswers answers(view, {true, "3", "port 3", 2.0}, [] { return 0.0; }, {});
    const std::string path = state.range(0) == 0 ? "/api/history" : "/api/latest";
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            answers.answer({"GET", path, "0", 100, false, {}, {}}).body->size());
    }
}
BENCHMARK(BM_HistoryAnswer)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
