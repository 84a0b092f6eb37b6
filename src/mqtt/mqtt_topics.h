#pragma once

#include <string>
#include <string_view>

namespace stillmon {

// The topics a run is published under, below its own topic (say "stillmon/north-3"):
//   stillmon/north-3/state           each cycle's record, as the live page's JSON
//   stillmon/north-3/availability    "online", or "offline" (also the broker's last will)
//   stillmon/north-3/alarm/<name>    "ON" while the alarm fires, else "OFF"
//   stillmon/north-3/mark            each mark of the operator's, as it is made (not retained)
std::string state_topic(std::string_view topic);
std::string availability_topic(std::string_view topic);
std::string alarm_topic(std::string_view topic, std::string_view alarm);
std::string mark_topic(std::string_view topic);

// Where Home Assistant says it has (re)started, below its discovery prefix.
std::string discovery_status_topic(std::string_view discovery);

// A topic stillmon may publish under: not empty, no wildcard ("+", "#") nor control
// character, starting neither with "$" (the broker's own topics) nor "/", not ending in "/".
bool good_topic(std::string_view topic);

// The run's topic as a Home Assistant node id: each character other than a letter, a digit,
// "-" or "_" becomes "_" ("stillmon/north-3" -> "stillmon_north-3").
std::string node_id(std::string_view topic);

}  // namespace stillmon
