#pragma once

#include <optional>
#include <string_view>

#include "base/cycle_record.h"

namespace stillmon {

// "HH:MM:SS_n" as seconds of the day; nothing for a text that does not start with a time.
std::optional<int> device_seconds_of_day(std::string_view device_time);
// The device clock's step from one time of day to the next, taken forward across midnight.
int device_clock_step_s(int from_s, int to_s);

// A saved run's own clock, seconds since its program started: the logged intervals added up,
// the first counting from the start as the live clock did; a record whose interval is not
// known steps by the device clock instead. A replay reads its records far faster than they
// were logged, so whatever measures time over a saved run (the alarms' delays) measures it
// by this clock, not the wall clock.
class LoggedClock {
  public:
    // Moves the clock to the moment `record` was logged.
    void advance(const CycleRecord& record);
    double now_s() const { return now_s_; }

  private:
    double now_s_ = 0.0;
    std::optional<int> last_device_clock_s_;
};

}  // namespace stillmon
