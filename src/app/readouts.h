#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "base/operator_state.h"
#include "base/text_screen.h"
#include "logging/log_lines.h"
#include "process/derived_values.h"

namespace stillmon {

// Every text the program keeps on the window's text grid, in the order of readout_table.
enum class Readout {
    channel_line_1,
    record_line,
    ratio_line,
    channel_line_2,
    channel_line_3,
    valve_window,
    flow_window,
    ratio_period,
    correction_gain,
    valve_sample,
    valve_average,
    stage_line,
    thread_start_error,
    timing_error,
    alarm_row,
    entry_text,
    mark_row,
};

struct ReadoutPlace {
    Readout readout;
    int row;
    int column;
    std::optional<int> colour;  // on black; none keeps the colours the last print left
};

// Where each readout goes, in the order of docs/operating.md's table of readouts (a unit test holds
// their places together). Every readout ends its line: a long text runs on at column 1 of the next
// row and later prints overwrite it, so the order of the prints, not of this table, decides what
// stays visible. A place off the grid (the parameters in the 128-column window) is refused by the
// surface, and the text follows on the row below the previous print.
inline constexpr ReadoutPlace readout_table[] = {
    {Readout::channel_line_1, 1, 55, 15},
    {Readout::record_line, 1, 23, 15},
    {Readout::ratio_line, 2, 10, 12},
    {Readout::channel_line_2, 2, 33, 15},
    {Readout::channel_line_3, 2, 85, 15},
    {Readout::valve_window, 2, 130, 13},
    {Readout::flow_window, 2, 135, 10},
    {Readout::ratio_period, 2, 140, 12},
    {Readout::correction_gain, 2, 145, 11},
    {Readout::valve_sample, 3, 125, 13},
    {Readout::valve_average, 3, 135, 13},
    {Readout::stage_line, 4, 10, 15},
    {Readout::thread_start_error, 27, 30, std::nullopt},
    {Readout::timing_error, 28, 30, std::nullopt},
    {Readout::alarm_row, 29, 30, 12},
    {Readout::entry_text, 30, 50, std::nullopt},
    {Readout::mark_row, 31, 30, 11},
};

constexpr const ReadoutPlace& place_of(Readout readout) {
    return readout_table[static_cast<std::size_t>(readout)];
}

// A live readout whose text can get shorter from one cycle to the next (the record line, the
// valve sample): each text is followed by blanks over what the previous one left beyond its
// end, as far as that reached and no further, so no stale tail stays and nothing else on the
// screen changes.
class ShrinkingText {
  public:
    std::string covering(std::string_view text);

  private:
    std::size_t previous_length_ = 0;
};

// The calculation step's readouts in the order it finds them: stage line, valve sample,
// valve average, ratio line. An absent one leaves its place as it was.
// In live mode the valve sample covers a longer previous one.
void print_cycle_readouts(TextScreen& screen, const CycleReadouts& readouts,
                          ShrinkingText* valve_sample = nullptr);

// Printed once per cycle after the logs are written and before the strip charts: channel
// line 1, the record line, lines 2 and 3, then the four operator parameters, each with a
// blank before and after.
void print_status_panel(TextScreen& screen, const ChannelLines& lines, std::string_view record_line,
                        const OperatorState& state);

// A row of its own at the readout's place: the firing alarms' names, "ALARM steam-hot,
// device-silent", in red; the latest mark, "MARK hearts at record 1234", in light cyan. A
// shorter text covers what a longer one left, and an empty one blanks the row.
void print_row(TextScreen& screen, Readout readout, std::string_view text, ShrinkingText& previous);

// A row that starts at the readout's column, cut with "..." to what the narrower 128-column
// window leaves of it, so that it never runs on into the next row.
std::string cut_to_row(std::string text, Readout readout);

// `Time Error= N` for the Nth frame in a row outside the expected interval; 0 blanks it.
void print_timing_errors(TextScreen& screen, int errors_in_a_row);

// Blanks after the text erase what a longer earlier entry left.
void print_entry_text(TextScreen& screen, std::string_view entry);

void print_thread_start_error(TextScreen& screen);

}  // namespace stillmon
