#include "display/presentation_pacer.h"

#include <gtest/gtest.h>

namespace stillmon {
namespace {

using namespace std::chrono_literals;
using Clock = PresentationPacer::Clock;

Clock::time_point at(std::chrono::microseconds since_start) {
    return Clock::time_point(since_start);
}

TEST(PresentationPacer, PresentsTheFirstDrawingAtOnce) {
    PresentationPacer pacer;
    EXPECT_TRUE(pacer.drawn(at(0ms)));
}

TEST(PresentationPacer, PresentsEachCycleWhenCyclesAreSlow) {
    PresentationPacer pacer;
    for (int cycle = 0; cycle < 5; ++cycle) {
        const auto now = at(cycle * 500ms);  // the live cycle's pace
        ASSERT_TRUE(pacer.drawn(now)) << cycle;
        pacer.presented(now);
        EXPECT_FALSE(pacer.flush_needed());
    }
}

TEST(PresentationPacer, KeepsBackDrawingThatFollowsAPresentWithinTheInterval) {
    struct Case {
        std::chrono::microseconds since_present;
        bool presents;
    };
    const Case cases[] = {{0us, false}, {1ms, false}, {14999us, false}, {15ms, true}, {40ms, true}};
    for (const auto& c : cases) {
        PresentationPacer pacer;
        pacer.presented(at(100ms));
        EXPECT_EQ(pacer.drawn(at(100ms + c.since_present)), c.presents)
            << c.since_present.count() << " us";
        EXPECT_TRUE(pacer.flush_needed());
    }
}

TEST(PresentationPacer, ShowsKeptBackDrawingOnceTheIntervalHasPassed) {
    PresentationPacer pacer;
    pacer.presented(at(0ms));
    EXPECT_FALSE(pacer.drawn(at(2ms)));
    EXPECT_EQ(pacer.deadline(), at(15ms));
    EXPECT_FALSE(pacer.due(at(14ms)));
    EXPECT_TRUE(pacer.due(at(15ms)));
    pacer.presented(at(15ms));
    EXPECT_FALSE(pacer.due(at(100ms)));
    EXPECT_FALSE(pacer.deadline().has_value());
}

TEST(PresentationPacer, NothingDrawnIsNothingDue) {
    PresentationPacer pacer;
    EXPECT_FALSE(pacer.due(at(0ms)));
    EXPECT_FALSE(pacer.flush_needed());
    pacer.presented(at(0ms));
    EXPECT_FALSE(pacer.due(at(1s)));
}

// Cycles every 2 ms (a fast replay) for a second: at most one present per 15 ms, yet no
// drawing waits longer than 15 ms to be shown.
TEST(PresentationPacer, CapsPresentsAndBoundsTheDelayForFastCycles) {
    PresentationPacer pacer;
    int presents = 0;
    std::optional<Clock::time_point> last_present;
    std::optional<Clock::time_point> oldest_unshown;
    auto present = [&](Clock::time_point now) {
        if (last_present) {
            EXPECT_GE(now - *last_present, 15ms);
        }
        pacer.presented(now);
        last_present = now;
        oldest_unshown.reset();
        ++presents;
    };
    for (auto now = at(0ms); now < at(1s); now += 500us) {  // the main loop's checks
        const bool cycle_ends = (now.time_since_epoch() % 2ms) == 0ms;
        if (cycle_ends) {
            if (!oldest_unshown) {
                oldest_unshown = now;
            }
            if (pacer.drawn(now)) {
                present(now);
                continue;
            }
        }
        if (pacer.due(now)) {
            present(now);
        }
        if (oldest_unshown) {
            EXPECT_LE(now - *oldest_unshown, 15ms);
        }
    }
    EXPECT_GE(presents, 60);
    EXPECT_LE(presents, 67);
}

TEST(PresentationPacer, FlushIsNeededUntilPresented) {
    PresentationPacer pacer;
    pacer.presented(at(0ms));
    pacer.drawn(at(1ms));
    EXPECT_TRUE(pacer.flush_needed());
    pacer.presented(at(1ms));
    EXPECT_FALSE(pacer.flush_needed());
}

TEST(PresentationPacer, TakesItsIntervalFromTheCaller) {
    PresentationPacer pacer(40ms);
    pacer.presented(at(0ms));
    EXPECT_FALSE(pacer.drawn(at(39ms)));
    EXPECT_TRUE(pacer.due(at(40ms)));
}

}  // namespace
}  // namespace stillmon
