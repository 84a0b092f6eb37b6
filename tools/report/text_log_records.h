#pragma once

#include <cstdio>

#include "logging/log_line_reader.h"
#include "report/logged_cycles.h"
#include "report/logged_records.h"

namespace stillmon::report {

// The records of a text log: every line that holds one whole record as a live run writes it
// (record_line.h), with its values as written; records counted 0 are left out, as the replay
// leaves them out. Any other line is a damaged piece.
class TextLogRecords final : public LoggedRecords {
  public:
    explicit TextLogRecords(std::FILE* log) : reader_(log) {}  // owns the stream

    std::optional<LoggedStep> next() override;
    int read_error() const override { return reader_.read_error(); }

  private:
    LogLineReader reader_;
    LoggedCycles cycles_;
};

}  // namespace stillmon::report
