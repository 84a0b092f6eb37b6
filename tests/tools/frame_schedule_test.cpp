#include "stillsim/frame_schedule.h"

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

namespace stillmon::stillsim {
namespace {

std::vector<double> intervals(FrameSchedule schedule, int count) {
    std::vector<double> drawn;
    for (int i = 0; i < count; ++i) {
        drawn.push_back(schedule.next_interval_s());
    }
    return drawn;
}

TEST(FrameSchedule, JitterSpreadsGapsEvenlyAroundThePeriod) {
    struct Case {
        double period_s;
        double jitter_s;
    };
    const Case cases[] = {{0.85, 0.05}, {0.1, 0.02}, {2.0, 1.5}};
    for (const auto& c : cases) {
        const auto drawn = intervals(FrameSchedule(c.period_s, c.jitter_s, 7), 20000);
        const auto [low, high] = std::minmax_element(drawn.begin(), drawn.end());
        EXPECT_GE(*low, c.period_s - c.jitter_s) << c.period_s;
        EXPECT_LE(*high, c.period_s + c.jitter_s) << c.period_s;
        // Uniform: both ends of the band are reached and the halves are about equally full.
        EXPECT_LT(*low, c.period_s - 0.98 * c.jitter_s) << c.period_s;
        EXPECT_GT(*high, c.period_s + 0.98 * c.jitter_s) << c.period_s;
        const auto below =
            std::count_if(drawn.begin(), drawn.end(), [&](double gap) { return gap < c.period_s; });
        EXPECT_NEAR(static_cast<double>(below) / static_cast<double>(drawn.size()), 0.5, 0.02);
        const auto quarter = std::count_if(drawn.begin(), drawn.end(), [&](double gap) {
            return gap < c.period_s - 0.5 * c.jitter_s;
        });
        EXPECT_NEAR(static_cast<double>(quarter) / static_cast<double>(drawn.size()), 0.25, 0.02);
    }
}

TEST(FrameSchedule, NoJitterGivesTheExactPeriod) {
    for (const double gap : intervals(FrameSchedule(0.85, 0.0, 3), 100)) {
        EXPECT_EQ(gap, 0.85);
    }
}

TEST(FrameSchedule, TheSeedAloneDecidesTheGaps) {
    EXPECT_EQ(intervals(FrameSchedule(0.85, 0.05, 11), 50),
              intervals(FrameSchedule(0.85, 0.05, 11), 50));
    EXPECT_NE(intervals(FrameSchedule(0.85, 0.05, 11), 50),
              intervals(FrameSchedule(0.85, 0.05, 12), 50));
}

}  // namespace
}  // namespace stillmon::stillsim
