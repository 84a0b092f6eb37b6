#include "base/alarm_wording.h"

#include <gtest/gtest.h>

namespace stillmon {
namespace {

// As many decimals as it takes for a value past the threshold to read past it, and no more.
TEST(AlarmWording, WritesAValuePastItsThresholdAsPastIt) {
    EXPECT_EQ(alarm_condition("steam", 78.9375, 78.9, true, true), "steam 78.94 above 78.9");
    EXPECT_EQ(alarm_condition("tank", 1e-30, 0.0, true, true), "tank 1e-30 above 0");
    EXPECT_EQ(alarm_condition("tank", 90.3125, 90.05, true, true), "tank 90.3 above 90.05");
    EXPECT_EQ(alarm_condition("steam", 77.96, 78.0, true, false), "steam 78");  // not past: as is
    EXPECT_EQ(alarm_condition("steam", std::nullopt, 80.0, true, false), "steam unknown");
    EXPECT_EQ(alarm_condition("frame_age", 10.005, 10.0, true, true), "no frame for 10.01 s");
    EXPECT_EQ(alarm_condition("frame_age", 0.02, 10.0, true, false), "frames again");
}

}  // namespace
}  // namespace stillmon
