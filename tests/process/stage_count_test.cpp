#include "process/stage_count.h"

#include <cmath>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "process/equilibrium_table.h"
#include "process/interpolation.h"

namespace stillmon {
namespace {

constexpr int stage_points = 4;

float liquid_strength_at(int tank_raw) {
    return interpolate_table(static_cast<float>(tank_raw) / 16.0f,
                             equilibrium_column::boiling_temperature,
                             equilibrium_column::liquid_by_volume, 9);
}

float vapour_strength_at(int steam_raw) {
    return interpolate_table(static_cast<float>(steam_raw) / 16.0f,
                             equilibrium_column::boiling_temperature,
                             equilibrium_column::vapour_by_volume, 9);
}

TEST(CountStages, TankAt92DegreesCountsSixStages) {
    const float input = liquid_strength_at(1472);   // tank 92.0 degrees
    const float output = vapour_strength_at(1256);  // steam 78.5 degrees

    const auto count = count_stages(input, output, stage_points);

    ASSERT_TRUE(count.has_value());
    EXPECT_EQ(count->whole_stages, 6);
    EXPECT_GT(count->stages, 5.955f);
    EXPECT_LT(count->stages, 5.965f);
    // The crossing point keeps the digits the float count loses.
    EXPECT_EQ(static_cast<float>(count->crossing_point), count->stages);
    EXPECT_NE(count->crossing_point, static_cast<double>(count->stages));
}

TEST(CountStages, StrongestSteamFromTheTankAtNinetyTwoDegreesNeedsSeventeenStages) {
    const float output = vapour_strength_at(1251);  // 78.1875 degrees
    EXPECT_NEAR(output, 96.59f, 0.005f);

    const auto count = count_stages(liquid_strength_at(1472), output, stage_points);

    ASSERT_TRUE(count.has_value());
    EXPECT_EQ(count->whole_stages, 17);
    EXPECT_GT(count->stages, 16.0f);
    EXPECT_LT(count->stages, 17.0f);
}

TEST(CountStages, EveryFrameTemperaturePairPassesItsTargetWithinEighteenStages) {
    // Frame temperatures come in sixteenths of a degree; 1251 .. 1598 are the values inside
    // the table (78.1875 .. 99.875 degrees).
    constexpr int lowest_raw = 1251;
    constexpr int highest_raw = 1598;
    std::vector<float> liquids;
    std::vector<float> vapours;
    for (int raw = lowest_raw; raw <= highest_raw; ++raw) {
        liquids.push_back(liquid_strength_at(raw));
        vapours.push_back(vapour_strength_at(raw));
    }
    EXPECT_EQ(liquid_strength_at(lowest_raw - 1), 0.0f);
    EXPECT_EQ(liquid_strength_at(highest_raw + 1), 0.0f);

    int chains = 0;
    int longest = 0;
    for (const float input : liquids) {
        for (const float output : vapours) {
            if (!(input > 0.0f && output > 0.0f && output > input)) {
                continue;
            }
            ++chains;
            const auto count = count_stages(input, output, stage_points);
            ASSERT_TRUE(count.has_value());
            const float stages = count->stages;
            const int whole = count->whole_stages;
            // A stage landing exactly on its target puts the crossing at the whole count before.
            ASSERT_GE(stages, static_cast<float>(whole - 1)) << input << " -> " << output;
            ASSERT_GT(stages, 0.0f) << input << " -> " << output;
            ASSERT_LE(stages, static_cast<float>(whole)) << input << " -> " << output;
            longest = std::max(longest, whole);
        }
    }
    EXPECT_GT(chains, 90000);
    EXPECT_EQ(longest, 18);
}

TEST(CountStages, InputWithoutStrengthGivesNoResultAndNoStageLine) {
    const float inputs[] = {0.0f, -0.0f, -1.0f, -4.4f, std::numeric_limits<float>::quiet_NaN()};
    for (const float input : inputs) {
        EXPECT_FALSE(count_stages(input, 94.21f, stage_points).has_value()) << input;
    }
}

TEST(CountStages, StageLandingExactlyOnTheTargetDoesNotEndTheChain) {
    const float first_vapour = interpolate_table(50.0f, equilibrium_column::liquid_by_volume,
                                                 equilibrium_column::vapour_by_volume, 4);

    const auto count = count_stages(50.0f, first_vapour, stage_points);

    ASSERT_TRUE(count.has_value());
    EXPECT_EQ(count->whole_stages, 2);
    EXPECT_EQ(count->stages, 1.0f);  // the crossing point is the end of the first stage
}

TEST(CountStages, FirstStagePassingTheTargetGivesAFractionOfOne) {
    const auto count = count_stages(50.0f, 50.5f, stage_points);
    ASSERT_TRUE(count.has_value());
    EXPECT_EQ(count->whole_stages, 1);
    EXPECT_GT(count->stages, 0.0f);
    EXPECT_LT(count->stages, 1.0f);
}

struct UnfinishedChain {
    const char* what;
    float input;
    float output;
    int whole_stages;
};

TEST(CountStages, ChainThatCannotPassItsTargetStopsWithoutResult) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const UnfinishedChain cases[] = {
        {"target above the azeotrope: creeps towards 97.2 until the stage limit", 90.0f, 97.5f,
         stage_limit},
        {"no target to pass", 90.0f, nan, stage_limit},
        {"liquid beyond the azeotrope yields no vapour", 97.5f, 98.0f, 1},
    };
    for (const auto& c : cases) {
        const auto count = count_stages(c.input, c.output, stage_points);
        ASSERT_TRUE(count.has_value()) << c.what;
        EXPECT_EQ(count->stages, 0.0f) << c.what;
        EXPECT_EQ(count->crossing_point, 0.0) << c.what;
        EXPECT_EQ(count->whole_stages, c.whole_stages) << c.what;
    }
}

TEST(CountStages, StageThatDoesNotRaiseTheStrengthHasNoCrossingPoint) {
    // Just below the azeotrope a liquid can give a vapour of its own strength. Started above
    // the target, such a stage passes it without any change to interpolate along.
    const float unchanged = 97.1997986f;
    ASSERT_EQ(interpolate_table(unchanged, equilibrium_column::liquid_by_volume,
                                equilibrium_column::vapour_by_volume, stage_points),
              unchanged);

    EXPECT_EQ(count_stages(unchanged, 50.0f, stage_points),
              (StageCount{unchanged, 50.0f, 1, 0.0, 0.0f}));
}

}  // namespace
}  // namespace stillmon
