#pragma once

#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "base/alarm_notice.h"
#include "logging/log_file.h"

namespace stillmon {

// A live run's alarm changes beside its logs (Run3.events.csv beside Run3.dat), appended as
// the logs are, each line whole on the disk when write() returns, so the file tells what the
// operator was told even after a crash. A new or empty file starts with the header line:
//   device_time,record,time,alarm,state,value
// then one line per change, CR LF ended (RFC 4180): "14:30:45_7,1234,2026-12-09T14:30:46+01:00,
// steam-hot,firing,80.6"; the value is written as stderr says it, an empty field when it was
// unknown.
class AlarmEventsFile {
  public:
    AlarmEventsFile(std::string path, Say report_error);

    void write(const AlarmNotice& notice);

  private:
    LogFile file_;
};

// "Run3.events.csv" for the text log "Run3.dat".
std::string alarm_events_path(std::string_view text_log_path);

// One line, without its line end.
std::string alarm_event_csv_line(const AlarmNotice& notice);

// The cycles an events file names, one per row: the record number and the device time of the
// latest cycle when the alarm changed.
using AlarmEventRecords = std::set<std::pair<std::uint16_t, std::string>>;

// Reads an events file through (owns the stream); a line that is no row (the header, a
// damaged one) is passed over. Reading that fails leaves the system's error number in
// `read_error`.
AlarmEventRecords read_alarm_event_records(std::FILE* stream, int& read_error);

}  // namespace stillmon
