#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace stillmon {

// One change of one alarm as the events file, the notifications and the page's chart marks
// tell it. Plain text and numbers, so that none of them needs the alarms' own types.
struct AlarmNotice {
    std::string alarm;            // the alarm's name
    std::string state;            // "firing", "repeat", "cleared" or "acknowledged"
    std::string severity;         // "warning" or "critical"
    std::string value_name;       // what it watches: "steam", "frame_age", ...
    std::optional<double> value;  // nothing when the value was unknown
    double threshold = 0.0;
    bool above = true;                // false: the alarm fires below its threshold
    std::uint16_t record_number = 0;  // of the latest cycle
    std::string device_time;          // of the latest cycle, as logged
    std::string time;                 // wall clock, ISO 8601 with offset
};

// One alarm as it stands, for the page, /metrics and the window's alarm row.
struct AlarmSnapshot {
    std::string name;
    std::string value_name;
    std::string severity;         // "warning" or "critical"
    std::string state;            // "normal", "pending" or "firing"
    std::optional<double> value;  // the latest value seen
    double threshold = 0.0;
    bool above = true;
    std::string since;  // wall clock, ISO 8601 with offset, of the current state's start
    bool acknowledged = false;
    std::uint64_t fired_total = 0;  // times it has fired this run
};

}  // namespace stillmon
