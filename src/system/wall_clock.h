#pragma once

#include <chrono>
#include <string>

namespace stillmon {

// The local time of `when` in ISO 8601 with the offset from UTC: "2026-12-09T14:30:46+01:00".
std::string iso8601_local_time(std::chrono::system_clock::time_point when);

}  // namespace stillmon
