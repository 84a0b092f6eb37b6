#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "alarms/alarm_board.h"
#include "base/cycle_record.h"
#include "startup/alarm_config.h"
#include "web/report_page.h"

namespace stillmon::report {

// The configuration's alarms over a saved run: the board watches each record as the live run's
// board watched each cycle, by the run's own clock, seconds since the program started: the
// logged intervals added up, the first counting from the start as the live clock did (a record
// whose interval is not known steps by the device clock instead). A saved run has no silence
// to measure between its records; the frame_interval alarm sees each gap as it was logged,
// and a frame_age alarm has no value, so it never fires. No operator acknowledges anything.
class AlarmHistory {
  public:
    explicit AlarmHistory(const AlarmConfig& config);

    // `index`: the record's place on the report's charts.
    void add(const CycleRecord& record, std::uint64_t index);
    // Every alarm of the configuration with its firings; one that is firing at the last
    // record lasts until then.
    std::vector<ReportedAlarm> alarms() const;

  private:
    void advance_clock(const CycleRecord& record);

    AlarmBoard board_;
    std::vector<ReportedAlarm> alarms_;  // in the board's order
    std::vector<double> fired_at_s_;     // per alarm: when its last firing began
    double now_s_ = 0.0;
    std::optional<int> last_device_clock_s_;
};

}  // namespace stillmon::report
