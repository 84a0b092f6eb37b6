#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "alarms/alarm_board.h"
#include "base/cycle_record.h"
#include "base/logged_clock.h"
#include "startup/alarm_config.h"
#include "web/report_page.h"

namespace stillmon::report {

// The configuration's alarms over a saved run: the board watches each record as the live run's
// board watched each cycle, by the run's own clock (LoggedClock). A saved run has no silence
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
    AlarmBoard board_;
    std::vector<ReportedAlarm> alarms_;  // in the board's order
    std::vector<double> fired_at_s_;     // per alarm: when its last firing began
    LoggedClock clock_;
};

}  // namespace stillmon::report
