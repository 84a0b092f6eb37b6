#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/cycle_record.h"
#include "base/journal_entry.h"

namespace stillmon::report {

// One step through a saved log: a record to report, or a damaged piece that was skipped.
struct LoggedStep {
    std::optional<CycleRecord> record;
    std::string skipped;  // where the damaged piece is and why: "line 7 skipped: 6 fields, not 13"
    bool starts_session = false;  // the record begins another run's session (logged_cycles.h)
    std::vector<JournalEntry> journal = {};  // the journal's entries standing at the record
};

// The records of a saved log, one step at a time, in bounded memory.
class LoggedRecords {
  public:
    virtual ~LoggedRecords() = default;
    // Nothing once the log has ended, or reading failed.
    virtual std::optional<LoggedStep> next() = 0;
    // Reading ended on an error rather than at the end of the log: the system's error number.
    virtual int read_error() const = 0;
    // Once the log has ended: the journal's entries whose records it did not hold.
    virtual std::vector<JournalEntry> unplaced_journal_entries() const = 0;
};

}  // namespace stillmon::report
