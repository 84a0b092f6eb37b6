#pragma once

#include <cstdint>
#include <string>

#include "app/cycle_host.h"
#include "app/readouts.h"
#include "base/operator_state.h"
#include "base/telemetry_frame.h"
#include "display/strip_chart.h"
#include "display/surface.h"
#include "link/device_link.h"
#include "logging/cycle_logs.h"
#include "logging/log_lines.h"
#include "logging/text_log_reader.h"
#include "process/derived_values.h"
#include "replay/replay_derivation.h"

namespace stillmon {

// Frame timing expected of the device, and what the cycle does about intervals outside it.
namespace frame_timing {
inline constexpr double shortest_interval_s = 0.71;
inline constexpr double longest_interval_s = 0.99;
inline constexpr int errors_before_reset = 60;  // the 61st error in a row resets the link
inline constexpr int recovery_pause_ms = 2000;
inline constexpr int pre_read_pause_ms = 500;
// After a read that ended without a frame (the link closed, re-opened or gone): long enough
// not to spin on a dead port, short enough that a re-opened link is read at once.
inline constexpr int retry_pause_ms = 100;
}  // namespace frame_timing

// How a replay cycle ended.
enum class ReplayOutcome {
    cycle_drawn,            // a record was drawn and more of the log is left
    log_ended_after_cycle,  // a record was drawn and the log is now at its end: ask "Repeat ? "
    log_ended,              // the log was at its end before a record could be read
};

// The main thread's loop body: one pass takes in one frame (from the device, or rebuilt from
// a saved record), derives the process values, writes the logs, refreshes the readouts and
// advances every strip chart. It owns the frame, the derived values and the chart history.
// The first live interval is measured from state.last_frame_time_s as the cycle finds it:
// the program sets it to its start time before the supervisor watches it.
class AcquisitionCycle {
  public:
    AcquisitionCycle(Surface& surface, OperatorState& state, CycleHost& host);

    void run_live_cycle(DeviceLink& link, CycleLogs& logs);
    ReplayOutcome run_replay_cycle(TextLogReader& log);

    const TelemetryFrame& frame() const { return frame_; }
    const DerivedValues& derived() const { return derived_; }
    int timing_error_count() const { return timing_errors_; }
    std::uint16_t record_number() const { return record_number_; }

  private:
    // Returns the count of errors in a row as shown (the 61st before the count starts again).
    int check_frame_timing(double frame_interval_s);
    // Steps shared by both modes once the values are derived.
    // valve_sample: the live valve sample's cover; none in replay, whose screens keep what a
    // shorter text leaves.
    ChannelLines show_readouts_and_compose(const CycleReadouts& readouts,
                                           ShrinkingText* valve_sample);
    void draw_panel_and_charts(const ChannelLines& lines, const std::string& record_line);

    Surface& surface_;
    OperatorState& state_;
    CycleHost& host_;
    TelemetryFrame frame_;
    DerivedValues derived_;
    StripChart chart_;
    ReplayDerivation replay_{frame_, derived_};
    int timing_errors_ = 0;
    std::uint16_t record_number_ = 0;
    ShrinkingText live_record_line_;
    ShrinkingText live_valve_sample_;
};

}  // namespace stillmon
