#pragma once

#include <ctime>
#include <string>

namespace stillmon {

// The file a snapshot of the window goes to, from the local time it was taken:
// "stillmon-YYYYMMDD-HHMMSS.png".
std::string snapshot_file_name(const std::tm& local_time);

// The same for the present moment, in local time.
std::string snapshot_file_name_now();

}  // namespace stillmon
