#include "base/stretch_statistics.h"

#include <gtest/gtest.h>
#include <cmath>

namespace stillmon {
namespace {

TEST(StretchStatistics, EachStretchHoldsTheMeanAndRangeOfItsOwnRecordsWithoutTheMissingValues) {
    StretchStatistics statistics(2);
    statistics.add(std::vector<double>{80.0, NAN});
    statistics.add(std::vector<double>{84.0, 40.0});
    statistics.begin_stretch();
    statistics.begin_stretch();  // two marks at one record: a stretch of no records
    statistics.add(std::vector<double>{90.0, 60.0});
    statistics.add(std::vector<double>{NAN, 70.0});

    const auto& stretches = statistics.stretches();
    ASSERT_EQ(stretches.size(), 3U);
    EXPECT_EQ(stretches[0][0].mean(), 82.0);
    EXPECT_EQ(stretches[0][0].min, 80.0);
    EXPECT_EQ(stretches[0][0].max, 84.0);
    EXPECT_EQ(stretches[0][1].count, 1U);
    EXPECT_EQ(stretches[0][1].mean(), 40.0);
    EXPECT_TRUE(std::isnan(stretches[1][0].mean()));
    EXPECT_EQ(stretches[2][0].mean(), 90.0);
    EXPECT_EQ(stretches[2][1].min, 60.0);
    EXPECT_EQ(stretches[2][1].max, 70.0);
}

}  // namespace
}  // namespace stillmon
