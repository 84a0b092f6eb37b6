#include "startup/main_thread_host.h"

#include <sstream>

#include <gtest/gtest.h>

#include "display/chart_window.h"

namespace stillmon {
namespace {

// The page's copy of the window: taken whenever the main thread is about to wait, but at most
// every quarter second while cycles follow each other without a wait (a replay at full speed),
// and never for a picture that has not changed.
TEST(MainThreadHost, PublishesTheWindowsPictureAtMostFourTimesASecondBetweenWaits) {
    Surface surface(small_screen);
    HeadlessChartWindow window;
    WindowPresenter presenter(window, surface);
    OperatorState state;
    KeyQueue keys;
    LiveView view;
    double now_s = 100.0;
    std::ostringstream console;
    MainThreadHost host({presenter, surface, state, keys, &view, [&now_s] { return now_s; },
                         [](const Surface&, std::ostream&) { return true; }, console});
    const auto serial = [&view] { return view.picture() ? view.picture()->serial : 0; };

    int colour = 1;
    const auto draw_cycle = [&](double at_s) {
        now_s = at_s;
        surface.set_pixel(0, 0, ++colour);
        host.cycle_drawn({});
    };
    draw_cycle(100.0);
    const std::uint64_t first = serial();
    EXPECT_NE(first, 0u);
    draw_cycle(100.1);
    draw_cycle(100.2);
    EXPECT_EQ(serial(), first);  // kept back within the quarter second
    draw_cycle(100.3);
    EXPECT_GT(serial(), first);
    const std::uint64_t second = serial();
    draw_cycle(100.35);
    host.wait_ms(1);  // about to wait: the newest picture goes out at once
    EXPECT_GT(serial(), second);
    const std::uint64_t third = serial();
    host.wait_ms(1);  // unchanged: nothing to copy
    EXPECT_EQ(serial(), third);
}

}  // namespace
}  // namespace stillmon
