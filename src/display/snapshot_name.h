#pragma once

#include <ctime>
#include <functional>
#include <ostream>
#include <string>

namespace stillmon {

class Surface;

// Saves the surface as a PNG file and names it on `console` (display/sdl_snapshot.h's
// take_snapshot is the real one).
using SnapshotSaver = std::function<bool(const Surface& surface, std::ostream& console)>;

// The file a snapshot of the window goes to, from the local time it was taken:
// "stillmon-YYYYMMDD-HHMMSS.png".
std::string snapshot_file_name(const std::tm& local_time);

// The same for the present moment, in local time.
std::string snapshot_file_name_now();

// The n-th choice of name for a snapshot when earlier ones are taken (several snapshots in
// one second): the name itself for n = 1, then "-2", "-3" ... before ".png".
std::string numbered_snapshot_name(const std::string& name, int n);

}  // namespace stillmon
