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
// tell, as when a run restarted within seconds. Where the journal says nothing (a run without
// a journal, one that ended without its session-end) the numbers decide, as without a journal;
// a run that has not reached the end its journal names goes on whatever the numbers say (its
// device restarted, its program did not). A mark stands at the first record of its run with
// its number; one made before any record (record 0) at its run's first record.
//
// A run that kept no journal (started without --config) between two that did cannot be told
// from the next run of the journal: the entries of that run go to it.
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
