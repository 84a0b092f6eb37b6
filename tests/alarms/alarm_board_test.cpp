#include "alarms/alarm_board.h"

#include <gtest/gtest.h>

namespace stillmon {
namespace {

AlarmRule rule(std::string name, AlarmValue value, double above, double for_s = 0.0) {
    AlarmRule made;
    made.name = std::move(name);
    made.value = value;
    made.threshold = made.clear = above;
    made.for_s = for_s;
    return made;
}

TEST(AlarmBoard, WatchesCyclesAndTheSilenceBetweenThemAndSaysEachChange) {
    AlarmRule critical = rule("steam-hot", AlarmValue::steam, 80.0, 30.0);
    critical.severity = AlarmSeverity::critical;
    AlarmBoard board({critical, rule("device-silent", AlarmValue::frame_age, 10.0),
                      rule("many-stages", AlarmValue::stages, 5.0)},
                     /*arm_after_s=*/60.0, /*run_start_s=*/1000.0);
    CycleRecord hot;
    hot.record_number = 7;
    hot.device_time = "14:30:45_7";
    hot.temperatures_c[3] = 80.6f;  // steam; no stages this cycle

    EXPECT_TRUE(board.after_cycle(hot, 0.9, 1030.0).empty());  // not armed yet
    EXPECT_TRUE(board.after_cycle(hot, 0.9, 1060.0).empty());  // armed: waiting 30 s
    auto events = board.after_cycle(hot, 0.9, 1090.0);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].record_number, 7);
    EXPECT_EQ(alarm_event_line(events[0]),
              "stillmon: alarm steam-hot firing: steam 80.6 above 80 for 30 s");
    EXPECT_TRUE(board.sounding());

    events = board.between_cycles(10.03125, 1100.5);  // the device went silent after record 7
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(alarm_event_line(events[0]),
              "stillmon: alarm device-silent firing: no frame for 10.03 s");

    events = board.acknowledge_all();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(alarm_event_line(events[0]), "stillmon: alarm steam-hot acknowledged");
    EXPECT_FALSE(board.sounding());

    hot.temperatures_c[3] = 79.9f;
    events = board.after_cycle(hot, 0.1, 1101.0);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(alarm_event_line(events[0]), "stillmon: alarm steam-hot cleared: steam 79.9");
    EXPECT_EQ(alarm_event_line(events[1]), "stillmon: alarm device-silent cleared: frames again");
    EXPECT_EQ(board.alarms()[2].state(), AlarmState::normal);  // never a stage value to judge
}

// Between cycles the program sleeps until a frame-age alarm can change, and looks then.
TEST(AlarmBoard, SaysWhenASilentDeviceNextNeedsALook) {
    AlarmRule silent = rule("device-silent", AlarmValue::frame_age, 10.0, 5.0);
    silent.repeat_s = 60.0;
    AlarmBoard board({silent, rule("steam-hot", AlarmValue::steam, 80.0)}, 30.0, 1000.0);
    EXPECT_EQ(board.next_frame_age_change_s(1001.0, 1002.0), 1030.0);  // armed only then
    EXPECT_EQ(board.next_frame_age_change_s(1025.0, 1026.0), 1035.0);  // silent past 10 s
    EXPECT_TRUE(board.between_cycles(10.1, 1035.1).empty());           // pending for 5 s
    EXPECT_DOUBLE_EQ(*board.next_frame_age_change_s(1025.0, 1035.1), 1040.1);
    EXPECT_EQ(board.between_cycles(15.2, 1040.2).size(), 1u);                  // firing
    EXPECT_DOUBLE_EQ(*board.next_frame_age_change_s(1025.0, 1040.2), 1100.2);  // its repeat
    board.acknowledge_all();
    EXPECT_FALSE(board.next_frame_age_change_s(1025.0, 1041.0));  // only a frame changes it

    AlarmBoard without({rule("steam-hot", AlarmValue::steam, 80.0)}, 0.0, 0.0);
    EXPECT_FALSE(without.watches_frame_age());
    EXPECT_FALSE(without.next_frame_age_change_s(0.0, 1.0));
}

}  // namespace
}  // namespace stillmon
