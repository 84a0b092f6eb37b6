#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "base/cycle_record.h"
#include "base/journal_entry.h"
#include "base/operator_state.h"
#include "base/telemetry_frame.h"
#include "logging/journal_placement.h"
#include "logging/record_line.h"
#include "process/cycle_record_builder.h"
#include "process/derived_values.h"

namespace stillmon::report {

// The values each cycle of a saved run showed, derived again from what its logs hold by the
// live cycle's own steps (derive_cycle_values, then make_cycle_record), record after record,
// with the operator's parameters at their start values. A value the log does not hold is
// NaN, which the CSV leaves empty and the page's records make null. At each record that
// begins another run's session the values carried from cycle to cycle start afresh, as that
// run's program started them. The numbers say where sessions begin (logging/run_sessions.h),
// and the log's journal, when it has one, where it knows better (logging/journal_placement.h).
class LoggedCycles {
  public:
    // `journal`: the log's journal, in the file's order; none without one.
    explicit LoggedCycles(std::vector<JournalEntry> journal = {});

    // A binary-log record: the frame as the live cycle logged it, after its calculation step
    // (the valve decoded and averaged, the flow averaged), which the step here leaves as it is.
    // The interval and the proof are the text log's.
    CycleRecord from_frame(const TelemetryFrame& logged, double interval_s, double proof);
    // A text-log line: channels 0-7 as written, the nearest sixteenth of a degree in the frame
    // the strengths come from. The valve and the flow, which a line does not hold, are NaN.
    CycleRecord from_line(const RecordLine& line);
    // Whether the record taken last began a session: the log's first record does.
    bool session_started() const { return place_.starts_session; }
    // The journal's entries that stand at the record taken last, handed over once.
    std::vector<JournalEntry> take_journal_entries() { return std::move(place_.entries); }
    // Once the log is read: the journal's entries whose records never came.
    std::vector<JournalEntry> unplaced_journal_entries() const { return placement_.unplaced(); }

  private:
    CycleRecord derive(TelemetryFrame frame, const CycleContext& context);

    DerivedValues derived_;
    OperatorState parameters_;
    std::optional<std::uint16_t> previous_record_;
    JournalPlacement placement_;
    JournalPlacement::Place place_;
};

}  // namespace stillmon::report
