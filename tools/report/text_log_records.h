#pragma once

#include <cstdio>
#include <utility>
#include <vector>

#include "logging/log_line_reader.h"
#include "report/logged_cycles.h"
#include "report/logged_records.h"

namespace stillmon::report {

// The records of a text log: every line that holds one whole record as a live run writes it
// (record_line.h), with its values as written; records counted 0 are left out, as the replay
// leaves them out. Any other line is a damaged piece.
class TextLogRecords final : public LoggedRecords {
  public:
    // Owns the stream. `journal`: the run's journal (logged_cycles.h).
    explicit TextLogRecords(std::FILE* log, std::vector<JournalEntry> journal = {})
        : reader_(log), cycles_(std::move(journal)) {}

    std::optional<LoggedStep> next() override;
    int read_error() const override { return reader_.read_error(); }
    std::vector<JournalEntry> unplaced_journal_entries() const override {
        return cycles_.unplaced_journal_entries();
    }

  private:
    LogLineReader reader_;
    LoggedCycles cycles_;
};

}  // namespace stillmon::report
