#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "base/cycle_record.h"
#include "base/operator_state.h"
#include "base/telemetry_frame.h"
#include "logging/text_log_reader.h"
#include "process/derived_values.h"

namespace stillmon {

// One record of a saved log as the replay shows it.
struct ReplayedRecord {
    TextLogRecord fields;    // as read
    CycleReadouts readouts;  // what the calculation step left to be shown
    CycleRecord record;
};

// A saved run read back the way the replay reads it: records counted 0 or below skipped (a
// record without "Num=" carries the count before it), channels 0-7 rebuilt from the logged
// values into the frame (with the replay's offsets, which its screens are drawn with) and the
// process values derived as in a live run. The replay cycle draws what it gives. The frame
// and the derived values are the caller's, kept from one record to the next.
class ReplayDerivation {
  public:
    ReplayDerivation(TelemetryFrame& frame, DerivedValues& derived)
        : frame_(frame), derived_(derived) {}

    // Reads records until one to show, calling before_read (when given) before each read:
    // the replay waits there for its delay and while paused. Nothing when the log ends first.
    std::optional<ReplayedRecord> next(TextLogReader& log, const OperatorState& parameters,
                                       const std::function<void()>& before_read = {});

    // One record already read and accepted, shown under the record number given.
    ReplayedRecord derive(TextLogRecord fields, std::uint16_t record_number,
                          const OperatorState& parameters);

  private:
    TelemetryFrame& frame_;
    DerivedValues& derived_;
    std::int32_t last_record_count_ = 0;
};

}  // namespace stillmon
