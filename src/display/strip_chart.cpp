#include "display/strip_chart.h"

#include <cmath>
#include <limits>
#include <string>

#include "base/numbers.h"

namespace stillmon {

namespace {

constexpr std::string_view label_erase = "            ";  // the 12 label columns

// Rounds to nearest, ties to even (the current rounding mode), saturating at the ends of
// the 32-bit range; a channel without a range (never charted) would otherwise divide into
// an infinite height.
std::int32_t round_to_int32(long double value) {
    constexpr long double lowest = std::numeric_limits<std::int32_t>::min();
    constexpr long double highest = std::numeric_limits<std::int32_t>::max();
    const long double rounded = std::nearbyint(value);
    if (std::isnan(rounded) || rounded <= lowest) {
        return std::numeric_limits<std::int32_t>::min();
    }
    if (rounded >= highest) {
        return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(rounded);
}

}  // namespace

StripChart::StripChart() : history_(static_cast<std::size_t>(history_columns) * channel_count, 0) {}

std::int16_t StripChart::history(int x, int channel) const {
    if (x < 0 || x >= history_columns || channel < 0 || channel >= channel_count) {
        return 0;
    }
    return history_[static_cast<std::size_t>(channel) * history_columns +
                    static_cast<std::size_t>(x)];
}

int StripChart::label_row(int channel) const {
    if (channel < 0 || channel >= channel_count) {
        return 0;
    }
    return label_rows_[static_cast<std::size_t>(channel)];
}

bool StripChart::row_taken(int row) const {
    return row >= 0 && row < occupancy_rows && row_taken_[static_cast<std::size_t>(row)];
}

std::int16_t& StripChart::history_at(int x, int channel) {
    return history_[static_cast<std::size_t>(channel) * history_columns +
                    static_cast<std::size_t>(x)];
}

void StripChart::plot_channel(Surface& surface, int channel, std::int16_t raw_value) {
    const int width = surface.width();
    const int height = surface.height();
    const int left_edge = surface.geometry().chart_left_edge;
    const int rows = surface.geometry().text_rows;
    if (channel < 0 || channel >= channel_count || width >= history_columns ||
        rows + 1 >= occupancy_rows || left_edge < 1 || left_edge > width || rows < 2 ||
        height < 1) {
        return;
    }
    const Channel& constants = channel_table[static_cast<std::size_t>(channel)];

    // Range and height are single floats and every step between them runs in extended
    // precision: a point or label exactly between two rows lands where those roundings put it.
    const auto range = static_cast<float>(constants.range_high - constants.range_low);
    const std::int32_t offset = std::int32_t{raw_value} - constants.range_low * constants.divisor;
    // An offset at or below the bottom of the range counts as a full height, which puts the
    // point on the top pixel row.
    const float height_above_bottom =
        offset > 0 ? static_cast<float>(static_cast<long double>(offset) * height /
                                        (static_cast<long double>(constants.divisor) * range))
                   : static_cast<float>(height);
    const std::int32_t y = round_to_int32(static_cast<long double>(height) - height_above_bottom);
    std::int32_t preferred_row =
        round_to_int32(static_cast<long double>(rows) -
                       static_cast<long double>(height_above_bottom) * rows / height);
    if (preferred_row < 1) {
        preferred_row = 1;
    }
    if (preferred_row > rows - 1) {
        preferred_row = rows - 1;
    }

    // Before the first call the label row is 0, which keeps the cursor's current row: the
    // first erase lands wherever the previous print left the cursor.
    auto& label_row = label_rows_[static_cast<std::size_t>(channel)];
    surface.set_text_position(label_row, 1);
    surface.set_text_colours(0, 0);
    surface.print(label_erase, true);
    row_taken_[static_cast<std::size_t>(label_row)] = false;

    // Search away from the nearer screen edge for a row no other label holds.
    int row = preferred_row;
    if (2 * preferred_row > rows) {
        while (row >= 1 && row_taken_[static_cast<std::size_t>(row)]) {
            --row;
        }
    } else {
        while (row <= rows && row_taken_[static_cast<std::size_t>(row)]) {
            ++row;
        }
    }
    row_taken_[static_cast<std::size_t>(row)] = true;
    label_row = static_cast<std::int16_t>(row);

    surface.set_text_position(row, 1);
    surface.set_text_colours(constants.colour, 0);
    surface.print(format_number(static_cast<double>(raw_value) / constants.divisor, constants.mask),
                  false);
    surface.print(" ", false);
    surface.print(constants.name, true);

    // The whole trace is erased and drawn again one column further right, oldest first, so
    // a point of this channel is never erased after it has been drawn in this call.
    std::int16_t* trace = &history_at(0, channel);
    const int colour = constants.colour;
    for (int x = width; x >= left_edge; --x) {
        surface.plot_pixel(x, trace[x], 0);
        trace[x] = trace[x - 1];
        surface.plot_pixel(x, trace[x], colour);
    }
    const int newest = left_edge - 1;
    surface.plot_pixel(newest, trace[newest], 0);
    trace[newest] = static_cast<std::int16_t>(y);  // the low 16 bits
    surface.plot_pixel(newest, y, colour);
}

}  // namespace stillmon
