#include "alarms/alarm_rule.h"

#include <optional>
#include <vector>

#include <gtest/gtest.h>

namespace stillmon {
namespace {

AlarmRule steam_hot() {
    AlarmRule rule;
    rule.name = "steam-hot";
    rule.value = AlarmValue::steam;
    rule.threshold = 80.0;
    rule.clear = 78.0;
    rule.for_s = 30.0;
    rule.repeat_s = 600.0;
    return rule;
}

struct Step {
    double at_s;
    std::optional<double> value;  // nothing: the cycle had no such value
    bool armed;
    AlarmChange change;
    AlarmState state;
};

TEST(AlarmTracker, FiresAfterItsDelayClearsWithHysteresisAndRepeatsUntilAcknowledged) {
    using enum AlarmChange;
    constexpr AlarmState normal = AlarmState::normal;
    constexpr AlarmState pending = AlarmState::pending;
    constexpr AlarmState on = AlarmState::firing;
    AlarmTracker alarm(steam_hot());
    const Step steps[] = {
        {0, 95.0, false, none, normal},   // not armed yet: a hot start-up fires nothing
        {10, 95.0, true, none, pending},  // armed, past the threshold: waiting for 30 s
        {20, 79.0, true, none, normal},   // back under it: the wait starts again
        {30, 80.5, true, none, pending},    {59, 80.5, true, none, pending},
        {60, 80.5, true, firing, on},        // 30 s past the threshold
        {61, std::nullopt, true, none, on},  // no value: as it was
        {70, 79.0, true, none, on},          // under the threshold but above "clear"
        {660, 79.0, true, repeat, on},       // ten minutes unacknowledged
        {661, 78.0, true, cleared, normal},  // at "clear"
    };
    for (const Step& step : steps) {
        EXPECT_EQ(alarm.observe(step.value, step.at_s, step.armed), step.change) << step.at_s;
        EXPECT_EQ(alarm.state(), step.state) << step.at_s;
    }
}

TEST(AlarmTracker, AnAcknowledgedAlarmRepeatsNoMoreUntilItFiresAgain) {
    AlarmRule rule = steam_hot();
    rule.for_s = 0.0;
    AlarmTracker alarm(rule);
    EXPECT_EQ(alarm.acknowledge(), AlarmChange::none);  // nothing fires
    EXPECT_EQ(alarm.observe(81.0, 0, true), AlarmChange::firing);
    EXPECT_EQ(alarm.acknowledge(), AlarmChange::acknowledged);
    EXPECT_EQ(alarm.acknowledge(), AlarmChange::none);
    EXPECT_EQ(alarm.observe(81.0, 700, true), AlarmChange::none);
    EXPECT_EQ(alarm.observe(70.0, 701, true), AlarmChange::cleared);
    EXPECT_EQ(alarm.observe(81.0, 702, true), AlarmChange::firing);
    EXPECT_FALSE(alarm.acknowledged());

    rule.above = false;  // below 10, clear at 12
    rule.threshold = 10.0;
    rule.clear = 12.0;
    AlarmTracker cold(rule);
    EXPECT_EQ(cold.observe(10.0, 0, true), AlarmChange::none);  // at the threshold: not below
    EXPECT_EQ(cold.observe(9.5, 1, true), AlarmChange::firing);
    EXPECT_EQ(cold.observe(11.9, 2, true), AlarmChange::none);
    EXPECT_EQ(cold.observe(12.0, 3, true), AlarmChange::cleared);
}

}  // namespace
}  // namespace stillmon
