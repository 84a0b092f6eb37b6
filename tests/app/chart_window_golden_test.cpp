#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>

#include "app/acquisition_cycle.h"
#include "base/operator_state.h"
#include "base/telemetry_frame.h"
#include "display/guide_line.h"
#include "display/surface.h"
#include "logging/cycle_logs.h"
#include "support/cycle_fakes.h"
#include "support/png_image.h"

namespace stillmon {
namespace {

using test_support::FakeHost;
using test_support::FakeLink;
using test_support::read_png_rgb;
using test_support::rgb_of;
using test_support::write_surface_png;

// A run through heating up (the steam still too cold for a strength), a steady column and a
// disturbance. Between two key frames every element moves in even steps, one per cycle.
using KeyFrame = std::array<std::int16_t, 16>;  // elements 0..15, element 15 the valve 0..255

constexpr int cycles_per_step = 60;

constexpr std::array<KeyFrame, 5> key_frames{{
    {{1440, 1300, 1200, 1150, 320, 330, 300, 250, 1000, 3000, -300, 8000, 40, 10, 1280, 60}},
    {{1472, 1408, 1360, 1256, 400, 403, 390, 480, 4000, 15000, -200, 32767, 75, 123, 1280, 200}},
    {{1480, 1420, 1380, 1262, 410, 405, 395, 500, 9000, 22000, 500, 20000, 120, 260, 1296, 240}},
    {{1500, 1440, 1400, 1300, 700, 600, 560, 900, -600, 26000, 2500, 12000, 180, 320, 1296, 20}},
    {{1488, 1430, 1390, 1270, 450, 420, 410, 520, 5000, 24000, 900, 16000, 95, 380, 1288, 100}},
}};

std::int16_t between(std::int16_t from, std::int16_t to, int step) {
    return static_cast<std::int16_t>(from + (to - from) * step / cycles_per_step);
}

// The frame as the device sends it: element 15 carries the valve in its high byte, with a
// low byte that the decoding drops.
TelemetryFrame received_frame(int cycle) {
    const int segment = cycle / cycles_per_step;
    const int step = cycle % cycles_per_step;
    const KeyFrame& from = key_frames[static_cast<std::size_t>(segment)];
    const KeyFrame& to = key_frames[static_cast<std::size_t>(segment + 1)];
    TelemetryFrame frame;
    for (int c = 0; c < 16; ++c) {
        const auto i = static_cast<std::size_t>(c);
        frame[c] = between(from[i], to[i], step);
    }
    frame[element::valve] =
        static_cast<std::int16_t>(static_cast<std::uint16_t>(frame[element::valve] * 256 + 37));
    const int seconds = 14 * 3600 + 30 * 60 + cycle;
    frame[element::time_hours] =
        static_cast<std::int16_t>((seconds / 3600) * 256 + (seconds / 60) % 60);
    frame[element::time_seconds] = static_cast<std::int16_t>((seconds % 60) * 256 + cycle % 7);
    frame[element::record_number] = static_cast<std::int16_t>(1200 + cycle);
    return frame;
}

std::string golden_path(std::string_view name) {
    return std::string(STILLMON_TEST_DATA_DIR) + "/golden/" + std::string(name);
}

bool updating_golden_files() {
    const char* flag = std::getenv("STILLMON_UPDATE_GOLDEN");
    return flag != nullptr && std::string_view(flag) == "1";
}

// Compares the surface with the committed picture; STILLMON_UPDATE_GOLDEN=1 writes the
// picture instead. On a difference the actual picture is left in the test's temporary
// directory for a look.
void expect_matches_golden(const Surface& surface, std::string_view name) {
    const std::string path = golden_path(name);
    if (updating_golden_files()) {
        const auto error = write_surface_png(surface, path);
        ASSERT_FALSE(error.has_value()) << *error;
        std::cout << "wrote " << path << "\n";
    }
    std::string error;
    const auto golden = read_png_rgb(path, error);
    ASSERT_TRUE(golden.has_value()) << error << " (STILLMON_UPDATE_GOLDEN=1 writes it)";
    const test_support::RgbImage actual = rgb_of(surface);
    ASSERT_EQ(golden->width, actual.width);
    ASSERT_EQ(golden->height, actual.height);
    if (golden->rgb == actual.rgb) {
        return;
    }
    int differing = 0;
    std::size_t first = actual.rgb.size();
    for (std::size_t i = 0; i < actual.rgb.size(); i += 3) {
        if (actual.rgb[i] != golden->rgb[i] || actual.rgb[i + 1] != golden->rgb[i + 1] ||
            actual.rgb[i + 2] != golden->rgb[i + 2]) {
            ++differing;
            first = std::min(first, i / 3);
        }
    }
    const std::string actual_path = ::testing::TempDir() + std::string(name);
    (void)write_surface_png(surface, actual_path);
    ADD_FAILURE() << differing << " pixels differ from " << path << ", the first at ("
                  << first % static_cast<std::size_t>(actual.width) << ", "
                  << first / static_cast<std::size_t>(actual.width)
                  << "); actual picture: " << actual_path;
}

TEST(ChartWindowGolden, LiveCyclesDrawTracesLabelsAndPanelAsCommitted) {
    Surface surface(large_screen);
    draw_guide_line(surface);
    OperatorState state;
    state.proof_value.store(40.25f);
    FakeHost host;
    AcquisitionCycle cycle(surface, state, host);
    FakeLink link(host);
    CycleLogs logs("/dev/null", "/dev/null", {});  // the cycle's whole path, without a disk
    const int cycles = cycles_per_step * (static_cast<int>(key_frames.size()) - 1);
    for (int i = 0; i < cycles; ++i) {
        // After the cycle's 0.5 s pause: 0.853 s from frame to frame, inside the expected band.
        link.queue(0.353, received_frame(i));
        cycle.run_live_cycle(link, logs);
    }
    expect_matches_golden(surface, "chart_window_large.png");
}

}  // namespace
}  // namespace stillmon
