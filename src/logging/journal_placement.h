#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "base/journal_entry.h"

namespace stillmon {

// Places a log's journal among the log's records as they are read in order: which records
// begin a run's session, and at which record each entry stands.
//
// The journal's entries come in groups, one a run: its session-start, its marks, its
// session-end. A run's session-end names the last record it logged, so the record after that
// one begins the next session, even when the numbers alone (logging/run_sessions.h) cannot
// tell, as when a run restarted within seconds. Where the numbers tell a session begins, it
// does too, as without a journal (a run without a journal, one that ended without its
// session-end, a device that restarted within a run). The journal's entries stay with their
// run until its end is reached: a mark stands at the first record with its number after its
// run's start, one made before any record (record 0) at its run's first record.
//
// A run that kept no journal (started without --config) right after one that did cannot be
// told from the journal's next run, whose start is then placed at its first record.
class JournalPlacement {
  public:
    explicit JournalPlacement(std::vector<JournalEntry> entries);

    struct Place {
        bool starts_session = false;
        std::vector<JournalEntry> entries;  // in the journal's order
    };

    // The next record of the log; `starts_session_by_numbers` is what run_sessions.h says of it.
    Place next(std::uint16_t record_number, bool starts_session_by_numbers);

    // The entries of runs whose records never came: marks at numbers the log does not hold,
    // runs of the journal beyond the log's last session.
    std::vector<JournalEntry> unplaced() const;

  private:
    struct Run {
        std::optional<JournalEntry> start;
        std::vector<JournalEntry> marks;  // waiting for their record
        std::optional<JournalEntry> end;
    };

    void begin_run(std::size_t run, Place& place);

    std::vector<Run> runs_;
    std::size_t current_ = 0;
    bool any_record_ = false;
    bool end_reached_ = false;  // the record taken last was the one the run's end names
};

}  // namespace stillmon
