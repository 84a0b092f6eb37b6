#pragma once

#include <cstdint>
#include <optional>

#include "base/cycle_record.h"
#include "base/operator_state.h"
#include "base/telemetry_frame.h"
#include "logging/record_line.h"
#include "process/cycle_record_builder.h"
#include "process/derived_values.h"

namespace stillmon::report {

// The values each cycle of a saved run showed, derived again from what its logs hold by the
// live cycle's own steps (derive_cycle_values, then make_cycle_record), record after record,
// with the operator's parameters at their start values. A value the log does not hold is
// NaN, which the CSV leaves empty and the page's records make null. At each record that
// begins another run's session (logging/run_sessions.h) the values carried from cycle to cycle
// start afresh, as that run's program started them.
class LoggedCycles {
  public:
    LoggedCycles();

    // A binary-log record: the frame as the live cycle logged it, after its calculation step
    // (the valve decoded and averaged, the flow averaged), which the step here leaves as it is.
    // The interval and the proof are the text log's.
    CycleRecord from_frame(const TelemetryFrame& logged, double interval_s, double proof);
    // A text-log line: channels 0-7 as written, the nearest sixteenth of a degree in the frame
    // the strengths come from. The valve and the flow, which a line does not hold, are NaN.
    CycleRecord from_line(const RecordLine& line);
    // Whether the record taken last began a session: the log's first record does.
    bool session_started() const { return session_started_; }

  private:
    CycleRecord derive(TelemetryFrame frame, const CycleContext& context);

    DerivedValues derived_;
    OperatorState parameters_;
    std::optional<std::uint16_t> previous_record_;
    bool session_started_ = false;
};

}  // namespace stillmon::report
