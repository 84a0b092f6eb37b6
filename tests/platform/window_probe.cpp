// Opens the chart window (or runs headless without a display), draws a few fixed frames and
// reports every key it receives, for the end-to-end tests and for measuring presentation.
//
//   window_probe [--small] [--count N] [--title-mode live|replay] [--dump PATH]
//                [--continuous] [--seconds S] [--bench-present N] [--timeout S]
//
// Prints "window WxH" or "headless WxH", then "drawn N" once the frames are drawn and shown
// (and dumped), then "key <hex bytes>" for each key. F12 saves a snapshot; x ends the run,
// as does the timeout (exit code 3).

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>

#include "app/operator_keys.h"
#include "base/key_queue.h"
#include "base/operator_state.h"
#include "display/chart_window.h"
#include "display/screen_mode.h"
#include "display/sdl_snapshot.h"
#include "display/sdl_window.h"
#include "display/surface.h"
#include "display/window_presenter.h"
#include "display/window_title.h"
#include "startup/window_or_headless.h"

namespace stillmon {
namespace {

using Clock = std::chrono::steady_clock;

struct ProbeOptions {
    bool small = false;
    int count = 3;
    RunMode title_mode = RunMode::live;
    std::string dump_path;
    bool continuous = false;
    double seconds = 3.0;
    int bench_presents = 0;
    double timeout_s = 60.0;
};

bool parse_options(int argc, char** argv, ProbeOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        const bool has_value = i + 1 < argc;
        if (argument == "--small") {
            options.small = true;
        } else if (argument == "--continuous") {
            options.continuous = true;
        } else if (argument == "--count" && has_value) {
            options.count = std::atoi(argv[++i]);
        } else if (argument == "--title-mode" && has_value) {
            const std::string_view mode = argv[++i];
            if (mode != "live" && mode != "replay") {
                return false;
            }
            options.title_mode = mode == "live" ? RunMode::live : RunMode::replay;
        } else if (argument == "--dump" && has_value) {
            options.dump_path = argv[++i];
        } else if (argument == "--seconds" && has_value) {
            options.seconds = std::atof(argv[++i]);
        } else if (argument == "--bench-present" && has_value) {
            options.bench_presents = std::atoi(argv[++i]);
        } else if (argument == "--timeout" && has_value) {
            options.timeout_s = std::atof(argv[++i]);
        } else {
            return false;
        }
    }
    return true;
}

// One fixed frame per cycle number: every palette colour, a dotted guide line, traces and
// text, so that any wrong pixel, colour or offset in the window shows.
void draw_frame(Surface& surface, int cycle) {
    const int width = surface.width();
    const int height = surface.height();
    surface.set_text_colours(15, 0);
    surface.clear();
    surface.draw_line(0, height / 2, width, height / 2, 10, 0xAAAA);
    for (int colour = 0; colour < 16; ++colour) {
        for (int y = 40; y < 80; ++y) {
            for (int x = 100 + colour * 20; x < 120 + colour * 20; ++x) {
                surface.set_pixel(x, y, colour);
            }
        }
    }
    for (int x = 95; x < width; ++x) {
        const int y = height / 4 + (x * 7 + cycle * 13) % 64;
        surface.set_pixel(x, y, 10 + x % 6);
        surface.set_pixel(x, 3 * height / 4 - (x * 3 + cycle * 5) % 48, 3 + x % 2);
    }
    surface.draw_line(95, 100, width - 1, height - 1, 12, 0xF0F0);
    surface.set_text_position(1, 1);
    surface.print("window probe cycle", false);
    surface.print_integer(cycle, true);
    surface.set_text_position(6, 1);
    surface.set_text_colours(14, 0);
    surface.print("ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz 0123456789 .,:;=+-*/()",
                  true);
    surface.set_text_colours(11, 0);
    surface.print("Tank =  78.5  Steam=  91.2", false);
}

// A cycle of the continuous run: roughly what a monitoring cycle draws, one new column of
// eighteen traces and a dozen readouts.
void draw_continuous_cycle(Surface& surface, int cycle) {
    const int width = surface.width();
    const int x = 95 + cycle % (width - 95);
    for (int channel = 0; channel < 18; ++channel) {
        const int top = 16 * (channel * 3 + 1);
        surface.draw_line(x, top, x, top + 40, 0, 0xFFFF);
        surface.set_pixel(x, top + (cycle + channel * 7) % 40, 10 + channel % 6);
    }
    surface.set_text_colours(15, 0);
    for (int row = 0; row < 12; ++row) {
        surface.set_text_position(row + 1, 1);
        surface.print_integer(cycle + row, false);
        surface.print("     ", false);
    }
}

void print_key(std::string_view key) {
    std::string line = "key ";
    for (const char byte : key) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(byte));
        line += hex;
    }
    std::cout << line << std::endl;
}

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void run_continuous(Surface& surface, WindowPresenter& presenter, double seconds) {
    const auto start = Clock::now();
    const auto first_present = presenter.present_count();
    int cycles = 0;
    while (seconds_since(start) < seconds) {
        draw_continuous_cycle(surface, cycles);
        presenter.cycle_drawn();
        presenter.service();
        ++cycles;
    }
    presenter.flush();
    const double elapsed = seconds_since(start);
    const auto presents = presenter.present_count() - first_present;
    std::printf(
        "continuous: %d cycles in %.2f s = %.0f cycles/s, %llu presents = %.1f presents/s\n",
        cycles, elapsed, cycles / elapsed, static_cast<unsigned long long>(presents),
        static_cast<double>(presents) / elapsed);
    std::fflush(stdout);
}

void run_present_bench(ChartWindow& window, Surface& surface, int presents) {
    const auto start = Clock::now();
    for (int i = 0; i < presents; ++i) {
        surface.set_pixel(i % surface.width(), 0, i % 16);
        window.present(surface);
        window.pump_events();
    }
    const double elapsed = seconds_since(start);
    std::printf("present: %d presents of %dx%d in %.3f s = %.3f ms each\n", presents,
                surface.width(), surface.height(), elapsed, 1000.0 * elapsed / presents);
    std::fflush(stdout);
}

int run(const ProbeOptions& options) {
    const ScreenGeometry geometry =
        options.small ? small_screen : choose_screen_geometry(computer_name_from_environment());
    KeyQueue keys;
    const WindowOrHeadless opened = open_window_or_headless(
        open_sdl_window, geometry, window_title(options.title_mode, "http://127.0.0.1:8080/"), keys,
        std::cout);
    std::cout << (opened.headless() ? "headless " : "window ") << geometry.width << "x"
              << geometry.height << std::endl;

    Surface surface(geometry);
    WindowPresenter presenter(*opened.window, surface);
    for (int cycle = 1; cycle <= options.count; ++cycle) {
        draw_frame(surface, cycle);
        presenter.cycle_drawn();
        presenter.wait_for(std::chrono::milliseconds(20));
    }
    presenter.flush();
    if (!options.dump_path.empty()) {
        std::string dump_failure;
        if (!save_snapshot_png(surface, options.dump_path, &dump_failure)) {
            std::cerr << "dump failed: " << dump_failure << std::endl;
            return 2;
        }
    }
    std::cout << "drawn " << options.count << std::endl;

    if (options.bench_presents > 0) {
        run_present_bench(*opened.window, surface, options.bench_presents);
    }
    if (options.continuous) {
        run_continuous(surface, presenter, options.seconds);
    }

    OperatorState operator_state;
    const auto give_up = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                            std::chrono::duration<double>(options.timeout_s));
    while (Clock::now() < give_up) {
        presenter.wait_for(std::chrono::milliseconds(10));
        while (auto key = keys.try_pop()) {
            print_key(*key);
            if (*key == "x") {
                return 0;
            }
            if (apply_operator_key(operator_state, *key).kind == KeyAction::Kind::snapshot) {
                take_snapshot(surface, std::cout);
            }
        }
    }
    std::cout << "timeout" << std::endl;
    return 3;
}

}  // namespace
}  // namespace stillmon

int main(int argc, char** argv) {
    stillmon::ProbeOptions options;
    if (!stillmon::parse_options(argc, argv, options)) {
        std::cerr << "usage: window_probe [--small] [--count N] [--title-mode live|replay] "
                     "[--dump PATH] [--continuous] [--seconds S] [--bench-present N] "
                     "[--timeout S]\n";
        return 64;
    }
    return stillmon::run(options);
}
