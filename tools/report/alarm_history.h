#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "alarms/alarm_board.h"
#include "base/cycle_record.h"
#include "base/logged_clock.h"
#include "config/config_file.h"
#include "logging/alarm_events_file.h"
#include "web/report_page.h"

namespace stillmon::report {

// The configuration's alarms over a saved run, session by session: a board watches each record
// as the live run's board watched each cycle, by the run's own clock (LoggedClock). Each session
// starts a board of its own at 0 s, so arm_after holds in each. A saved run has no silence to
// measure between its records; the frame_interval alarm sees each gap as it was logged, and a
// frame_age alarm has no value, so it never fires. No operator acknowledges anything.
//
// With the log's events file (`logged`), a session is evaluated only when the file names one
// of its records: live runs with alarms write it, runs without them do not. Without one every
// session is.
class AlarmHistory {
  public:
    AlarmHistory(const RunConfig& config, std::optional<AlarmEventRecords> logged);

    // `index`: the record's place on the report's charts.
    void add(const CycleRecord& record, std::uint64_t index, bool starts_session);
    // Once the log is read: ends the last session.
    void finish();
    // Every alarm of the configuration with its firings in the sessions evaluated; one that is
    // firing at a session's last record lasts until then.
    const std::vector<ReportedAlarm>& alarms() const { return alarms_; }
    const std::vector<SessionAlarms>& sessions() const { return sessions_; }

  private:
    void start_session();
    void end_session();

    const RunConfig& config_;
    std::optional<AlarmEventRecords> logged_;
    std::optional<AlarmBoard> board_;    // the session's; nothing before the first record
    std::vector<ReportedAlarm> alarms_;  // in the configuration's order
    std::vector<std::size_t> firings_before_session_;  // per alarm
    std::vector<double> fired_at_s_;                   // per alarm: when its last firing began
    std::vector<SessionAlarms> sessions_;              // of the sessions ended
    bool session_logged_ = false;
    LoggedClock clock_;
};

}  // namespace stillmon::report
