#include "process/chart_value.h"

#include <limits>

#include <gtest/gtest.h>

namespace stillmon {
namespace {

struct RawCase {
    float value;
    std::int16_t raw;
};

TEST(ChartRawValue, RoundsToNearestWithTiesToEven) {
    const RawCase cases[] = {
        {0.0f, 0},           {0.4f, 0},           {0.5f, 0},         {0.6f, 1},
        {1.5f, 2},           {2.5f, 2},           {3.5f, 4},         {-0.5f, 0},
        {-1.5f, -2},         {-2.5f, -2},         {-2.6f, -3},       {437.0f, 437},
        {5964.306f, 5964},   {-733.5f, -734},     {32766.5f, 32766}, {32767.4f, 32767},
        {-32767.5f, -32768}, {-32768.0f, -32768},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(chart_raw_value(c.value), c.raw) << c.value;
    }
}

TEST(ChartRawValue, ValuesBeyondSixteenBitsChartAsTheLowestRaw) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    const float beyond[] = {32767.5f,  32768.0f, 40000.0f, 1e9f,     -32768.6f,
                            -32769.0f, -1e9f,    nan,      infinity, -infinity};
    for (const float value : beyond) {
        EXPECT_EQ(chart_raw_value(value), -32768) << value;
    }
    // Just inside on the negative side: rounds to -32768 as a value of its own.
    EXPECT_EQ(chart_raw_value(-32768.5f), -32768);
}

}  // namespace
}  // namespace stillmon
