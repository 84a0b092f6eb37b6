#include "stillsim/frame_stamp.h"

#include <gtest/gtest.h>

namespace stillmon::stillsim {
namespace {

TEST(FrameStamp, EncodesTheTimeOfDayAsTheFrameCarriesIt) {
    struct Case {
        double seconds_of_day;
        int hours_minutes;   // element 17 as unsigned
        int seconds_tenths;  // element 16 as unsigned
    };
    const Case cases[] = {
        {0.0, 0x0000, 0x0000},
        {14 * 3600 + 30 * 60 + 45.7, 0x0E1E, 0x2D07},
        {14 * 3600 + 30 * 60 + 45.75, 0x0E1E, 0x2D07},
        {23 * 3600 + 59 * 60 + 59.9, 0x173B, 0x3B09},
        {24 * 3600 + 1.0, 0x0000, 0x0100},  // past midnight starts the day again
        {-0.1, 0x173B, 0x3B09},             // just before midnight
        {9 * 3600 + 5 * 60 + 0.04, 0x0905, 0x0000},
    };
    for (const auto& c : cases) {
        const DeviceTimeStamp stamp = encode_time_stamp(c.seconds_of_day);
        EXPECT_EQ(static_cast<std::uint16_t>(stamp.hours_minutes), c.hours_minutes)
            << c.seconds_of_day;
        EXPECT_EQ(static_cast<std::uint16_t>(stamp.seconds_tenths), c.seconds_tenths)
            << c.seconds_of_day;
    }
}

TEST(FrameStamp, RecordNumbersCountUpAndWrapToOneNotZero) {
    const std::uint16_t cases[][2] = {
        {0, 1}, {1, 2}, {255, 256}, {32767, 32768}, {65534, 65535}, {65535, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(next_record_number(c[0]), c[1]) << c[0];
    }
}

}  // namespace
}  // namespace stillmon::stillsim
