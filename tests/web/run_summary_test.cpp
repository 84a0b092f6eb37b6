#include "web/run_summary.h"

#include <cmath>

#include <gtest/gtest.h>

namespace stillmon {
namespace {

CycleRecord cycle(std::uint16_t number, const char* time, double interval, float tank, float vapour,
                  float stages = -1.0f) {
    CycleRecord record;
    record.record_number = number;
    record.device_time = time;
    record.interval_s = interval;
    record.temperatures_c[0] = tank;
    record.vapour_strength = vapour;
    record.has_stages = stages >= 0.0f;
    record.stages = stages;
    return record;
}

void expect_peak(const std::optional<RunPeak>& peak, double value, std::uint16_t number) {
    ASSERT_TRUE(peak);
    EXPECT_DOUBLE_EQ(peak->value, static_cast<double>(static_cast<float>(value)));
    EXPECT_EQ(peak->record_number, number);
}

TEST(RunSummary, TakesGapsAfterTheFirstRecordPeaksWhereTheyCameAndTheClockAcrossMidnight) {
    RunSummary summary;
    summary.add(cycle(7, "23:59:58_0", 9.0, 80.0f, 0.0f), false);
    EXPECT_FALSE(summary.duration_s());
    EXPECT_FALSE(summary.longest_gap());
    EXPECT_FALSE(summary.highest_vapour_strength());
    summary.add(cycle(8, "23:59:59_1", 0.85, 91.5f, 0.0f), false);
    summary.add(cycle(9, "garbled", std::nan(""), 85.0f, 93.5f, 3.2f), false);
    summary.add(cycle(10, "00:00:07_2", 4.5, 91.5f, 92.0f, 4.7f), false);
    summary.add(cycle(11, "00:00:08_3", 0.9, 90.0f, 92.0f), false);

    EXPECT_EQ(summary.records(), 5u);
    EXPECT_EQ(summary.first_device_time(), "23:59:58_0");
    EXPECT_EQ(summary.last_device_time(), "00:00:08_3");
    EXPECT_EQ(summary.duration_s(), 10.0);
    expect_peak(summary.longest_gap(), 4.5, 10);
    EXPECT_EQ(summary.longest_gap()->device_time, "00:00:07_2");
    expect_peak(summary.highest_tank_temperature(), 91.5, 8);
    expect_peak(summary.highest_vapour_strength(), 93.5, 9);
    expect_peak(summary.most_stages(), 4.7, 10);

    summary.add(cycle(3, "05:00:00_0", 12.0, 20.0f, 0.0f), true);  // another run appended
    summary.add(cycle(4, "05:00:02_0", 1.0, 20.0f, 0.0f), false);
    EXPECT_EQ(summary.duration_s(), 12.0);        // not the hours between the runs
    expect_peak(summary.longest_gap(), 4.5, 10);  // nor the new run's first interval
}

}  // namespace
}  // namespace stillmon
