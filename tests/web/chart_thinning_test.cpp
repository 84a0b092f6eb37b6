#include "web/chart_thinning.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <numeric>

namespace stillmon {
namespace {

TEST(ChartThinning, ALongSeriesKeepsItsPeaksAndGapsInOrderWithinTheLimit) {
    std::vector<double> values(42000);
    for (std::size_t at = 0; at < values.size(); ++at) {
        values[at] = 80.0 + std::sin(static_cast<double>(at) / 500.0);
    }
    values[12345] = 99.0;
    values[30001] = 10.0;
    std::fill(values.begin() + 20000, values.begin() + 20100, NAN);
    const auto kept = thinned_indices(values, 4000);
    EXPECT_LE(kept.size(), 4000U);
    EXPECT_GT(kept.size(), 3000U);
    EXPECT_TRUE(std::is_sorted(kept.begin(), kept.end()));
    EXPECT_EQ(std::adjacent_find(kept.begin(), kept.end()), kept.end());
    for (const std::size_t peak : {12345U, 30001U}) {
        EXPECT_NE(std::find(kept.begin(), kept.end(), peak), kept.end()) << peak;
    }
    EXPECT_TRUE(
        std::any_of(kept.begin(), kept.end(), [&](auto at) { return std::isnan(values[at]); }));

    std::vector<std::size_t> all(values.size());
    std::iota(all.begin(), all.end(), 0U);
    EXPECT_EQ(thinned_indices(values, values.size()), all);
}

}  // namespace
}  // namespace stillmon
