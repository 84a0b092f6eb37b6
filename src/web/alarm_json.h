#pragma once

#include <string>
#include <vector>

#include "base/alarm_notice.h"
#include "web/live_view.h"

namespace stillmon {

// What /api/alarms answers: each configured alarm as it stands, and the marks the charts draw.
//   {"alarms":[{"name":"steam-hot","value":81.2,"value_name":"steam","severity":"critical",
//     "state":"firing","since":"2026-12-09T14:30:46+01:00","acknowledged":false,
//     "threshold":80,"above":true,"fired_total":1,"condition":"steam 81.2 above 80"}],
//    "marks":[{"alarm":"steam-hot","state":"firing","index":7,"record":1234,
//     "device_time":"14:30:45_7","time":"2026-12-09T14:30:46+01:00"}]}
// "value" is null while the alarm has seen none; "condition" is what the page's banner says of
// a firing alarm, in the words stderr uses, null while it does not fire; "index" is the run's
// cycle the charts place the mark at. Without alarms both lists are empty.
std::string alarms_json(const std::vector<AlarmSnapshot>& alarms,
                        const std::vector<AlarmMark>& marks);

}  // namespace stillmon
