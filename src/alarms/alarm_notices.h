#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "alarms/alarm_board.h"
#include "base/alarm_notice.h"

namespace stillmon {

// The board's monotonic seconds beside the wall clock at the same moment, so that a state's
// start can be told as a time of day.
struct ClockPair {
    double monotonic_s = 0.0;
    std::chrono::system_clock::time_point wall;
};

std::string_view alarm_state_name(AlarmState state);
std::string_view alarm_change_name(AlarmChange change);
std::string_view alarm_severity_name(AlarmSeverity severity);

// `time` is the wall clock of the change, ISO 8601 with offset.
AlarmNotice alarm_notice_of(const AlarmEvent& event, std::string time);

// Every alarm of the board as it stands at `now`.
std::vector<AlarmSnapshot> alarm_snapshots(const AlarmBoard& board, const ClockPair& now);

}  // namespace stillmon
