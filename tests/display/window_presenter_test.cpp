#include "display/window_presenter.h"

#include <vector>

#include <gtest/gtest.h>

#include "display/surface.h"

namespace stillmon {
namespace {

using namespace std::chrono_literals;
using Clock = WindowPresenter::Clock;

// Records what reached the window: the surface's revision at each present, and when.
class RecordingWindow final : public ChartWindow {
  public:
    explicit RecordingWindow(const Clock::time_point& now) : now_(now) {}
    void present(const Surface& surface) override {
        presented_revisions.push_back(surface.revision());
        present_times.push_back(now_);
    }
    void pump_events() override { pump_times.push_back(now_); }
    void wait_events(Clock::time_point deadline) override { wait_deadlines.push_back(deadline); }
    void wake() override {}

    std::vector<std::uint64_t> presented_revisions;
    std::vector<Clock::time_point> present_times;
    std::vector<Clock::time_point> pump_times;
    std::vector<Clock::time_point> wait_deadlines;

  private:
    const Clock::time_point& now_;
};

class WindowPresenterTest : public testing::Test {
  protected:
    void draw() { surface_.set_pixel(3, 4, ++colour_ % 16); }

    Clock::time_point now_{1s};
    Surface surface_{small_screen};
    RecordingWindow window_{now_};
    WindowPresenter presenter_{window_, surface_, [this] { return now_; }};
    int colour_ = 0;
};

TEST_F(WindowPresenterTest, PresentsEachSlowCycleAsItEnds) {
    for (int cycle = 0; cycle < 3; ++cycle) {
        draw();
        presenter_.cycle_drawn();
        ASSERT_EQ(window_.presented_revisions.size(), static_cast<std::size_t>(cycle + 1));
        EXPECT_EQ(window_.presented_revisions.back(), surface_.revision());
        now_ += 500ms;
    }
}

TEST_F(WindowPresenterTest, PresentsNothingWhenNothingWasDrawn) {
    draw();
    presenter_.cycle_drawn();
    now_ += 500ms;
    presenter_.cycle_drawn();
    presenter_.flush();
    presenter_.service();
    EXPECT_EQ(window_.presented_revisions.size(), 1u);
}

TEST_F(WindowPresenterTest, KeepsBackFastCyclesAndShowsThemWhenDue) {
    draw();
    presenter_.cycle_drawn();
    now_ += 2ms;
    draw();
    presenter_.cycle_drawn();
    EXPECT_EQ(window_.presented_revisions.size(), 1u);
    now_ += 12ms;
    presenter_.service();
    EXPECT_EQ(window_.presented_revisions.size(), 1u);
    now_ += 1ms;
    presenter_.service();
    ASSERT_EQ(window_.presented_revisions.size(), 2u);
    EXPECT_EQ(window_.presented_revisions.back(), surface_.revision());
}

TEST_F(WindowPresenterTest, FlushShowsKeptBackDrawingAtOnce) {
    draw();
    presenter_.cycle_drawn();
    now_ += 1ms;
    draw();
    presenter_.cycle_drawn();
    presenter_.flush();
    ASSERT_EQ(window_.presented_revisions.size(), 2u);
    EXPECT_EQ(window_.present_times.back(), now_);
    EXPECT_EQ(window_.presented_revisions.back(), surface_.revision());
}

TEST_F(WindowPresenterTest, ServiceShowsDrawingMadeOutsideACycle) {
    draw();
    presenter_.cycle_drawn();
    now_ += 100ms;
    surface_.print("Repeat ? ", false);
    presenter_.service();
    ASSERT_EQ(window_.presented_revisions.size(), 2u);
    EXPECT_EQ(window_.presented_revisions.back(), surface_.revision());
}

TEST_F(WindowPresenterTest, WaitingPresentsFirstThenSleepsInTheWindowUntilTheDeadline) {
    draw();
    presenter_.cycle_drawn();
    now_ += 1ms;
    draw();
    presenter_.cycle_drawn();
    const auto start = now_;
    presenter_.wait_for(500ms);
    ASSERT_EQ(window_.present_times.size(), 2u);
    EXPECT_EQ(window_.present_times.back(), start);  // before the wait, not later
    EXPECT_EQ(window_.wait_deadlines, std::vector<Clock::time_point>{start + 500ms});
}

// Cycles that never wait (a replay without delay) still take in the window's keys.
TEST_F(WindowPresenterTest, LooksAtEventsAfterEveryCycleEvenWithoutWaiting) {
    for (int cycle = 1; cycle <= 5; ++cycle) {
        draw();
        presenter_.cycle_drawn();
        now_ += 100us;
        EXPECT_EQ(window_.pump_times.size(), static_cast<std::size_t>(cycle));
    }
    EXPECT_LT(window_.presented_revisions.size(), 5u);  // kept back all the same
}

TEST_F(WindowPresenterTest, ShowsTheSurfaceAtTheFirstLookEvenUndrawn) {
    presenter_.flush();
    EXPECT_EQ(window_.presented_revisions.size(), 1u);
}

}  // namespace
}  // namespace stillmon
