#include "stillsim/fault_plan.h"

#include <set>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

namespace stillmon::stillsim {
namespace {

using Drawn = std::tuple<double, FaultKind, double, int, int, double>;

std::vector<Drawn> draw(double mean_gap_s, std::uint32_t seed, int count) {
    FaultPlan plan(mean_gap_s, seed);
    std::vector<Drawn> faults;
    for (int i = 0; i < count; ++i) {
        const PlannedFault f = plan.next();
        faults.emplace_back(f.gap_s, f.kind, f.length_s, f.byte_index, f.frames, f.period_s);
    }
    return faults;
}

TEST(FaultPlan, TheSeedAloneDecidesTheFaults) {
    EXPECT_EQ(draw(60.0, 5, 40), draw(60.0, 5, 40));
    EXPECT_NE(draw(60.0, 5, 40), draw(60.0, 6, 40));
}

TEST(FaultPlan, EveryKindComesWithinItsBoundsAndTheGapsAverageTheMean) {
    std::set<FaultKind> kinds;
    double gaps_s = 0.0;
    const auto faults = draw(20.0, 9, 4000);
    for (const auto& [gap_s, kind, length_s, byte_index, frames, period_s] : faults) {
        kinds.insert(kind);
        gaps_s += gap_s;
        ASSERT_TRUE(gap_s >= 10.0 && gap_s <= 30.0) << gap_s;
        const bool within =
            (kind == FaultKind::stall && length_s >= 3.0 && length_s <= 8.0) ||
            (kind == FaultKind::hangup && length_s >= 2.0 && length_s <= 5.0) ||
            (kind == FaultKind::dropped_byte && byte_index >= 0 && byte_index <= 37) ||
            (kind == FaultKind::period_error && frames >= 3 && frames <= 6 && period_s >= 1.1 &&
             period_s <= 1.5);
        ASSERT_TRUE(within) << static_cast<int>(kind) << ' ' << length_s << ' ' << byte_index << ' '
                            << frames << ' ' << period_s;
    }
    EXPECT_EQ(kinds.size(), 4u);
    EXPECT_NEAR(gaps_s / static_cast<double>(faults.size()), 20.0, 0.5);
}

}  // namespace
}  // namespace stillmon::stillsim
