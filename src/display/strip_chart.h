#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "base/channel_table.h"
#include "display/screen_geometry.h"
#include "display/surface.h"

namespace stillmon {

// The scrolling traces of all charted channels and their labels in text columns 1 to 12.
// Every call of plot_channel shifts one channel's whole trace a pixel to the right, redraws
// it, puts the newest point at the chart's left edge - 1 and prints the label on the free
// text row nearest the point. The state lives for the whole run; a cleared surface gets
// every trace and label back at each channel's next call. Main thread only.
class StripChart {
  public:
    // The scroll moves every column from the left edge up to x = width, one past the last
    // visible one, so the widest window needs width + 1 columns of history.
    static constexpr int history_columns = large_screen.width + 1;
    // Label rows 0..text_rows, and one past the last: the downward search for a free row may
    // stop there when every row below the preferred one is taken.
    static constexpr int occupancy_rows = large_screen.text_rows + 2;

    StripChart();

    // Channel 0..19 with its raw value. Does nothing for another channel number or for a
    // surface wider than the history or with more text rows than the occupancy table.
    void plot_channel(Surface& surface, int channel, std::int16_t raw_value);

    // The y last drawn for the channel at pixel column x (the low 16 bits of the computed
    // row, so a value far outside its range may wrap onto the surface in older columns).
    std::int16_t history(int x, int channel) const;
    int label_row(int channel) const;  // 0 before the channel's first call
    bool row_taken(int row) const;     // a label stands on the text row

  private:
    std::int16_t& history_at(int x, int channel);

    // One block of history_columns per channel, so that a channel's scroll walks memory in order.
    std::vector<std::int16_t> history_;
    std::array<std::int16_t, channel_count> label_rows_{};
    std::array<bool, occupancy_rows> row_taken_{};
};

}  // namespace stillmon
