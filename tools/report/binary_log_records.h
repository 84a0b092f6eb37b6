#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

#include "logging/binary_log_reader.h"
#include "report/logged_cycles.h"
#include "report/logged_records.h"
#include "report/text_line_pairing.h"

namespace stillmon::report {

// The records of a binary log: every whole record, as the live cycle took its frame (record
// 0 too: the live cycle derived from it). The interval and the proof are the text log's for
// the record (text_line_pairing.h), when there is one and it has the record's line; they are
// NaN otherwise. Any stretch that holds no record is a damaged piece.
class BinaryLogRecords final : public LoggedRecords {
  public:
    // Owns both streams; `text_log` may be null. `journal`: the run's journal (logged_cycles.h).
    BinaryLogRecords(std::FILE* binary_log, std::FILE* text_log,
                     std::vector<JournalEntry> journal = {});

    std::optional<LoggedStep> next() override;
    int read_error() const override { return reader_.read_error(); }
    std::vector<JournalEntry> unplaced_journal_entries() const override {
        return cycles_.unplaced_journal_entries();
    }
    // Records whose interval and proof the text log gave.
    std::uint64_t paired() const { return paired_; }

  private:
    BinaryLogReader reader_;
    std::optional<TextLinePairing> pairing_;
    LoggedCycles cycles_;
    std::uint64_t paired_ = 0;
};

}  // namespace stillmon::report
