#include "process/interpolation.h"

#include <array>
#include <cstddef>

#include "process/equilibrium_table.h"

namespace stillmon {

namespace {

inline constexpr int max_points = equilibrium_row_count - 1;

// Nearest integer to half_units / 2, ties to the even neighbour, without relying on the
// floating-point rounding mode.
constexpr int round_half_to_even(int half_units) {
    const int lower = half_units >= 0 ? half_units / 2 : -((1 - half_units) / 2);  // floor
    if (2 * lower == half_units) {
        return lower;
    }
    return lower % 2 == 0 ? lower : lower + 1;
}
static_assert(round_half_to_even(2 * 114 - 9) == 110);
static_assert(round_half_to_even(2 * 113 - 9) == 108);
static_assert(round_half_to_even(-3) == -2);
static_assert(round_half_to_even(-1) == 0);

// Row at which the search stops (the first visited row whose entry is greater than the
// value), or 0 when no row stops it.
int search_row(float value, int column) {
    if (column == equilibrium_column::boiling_temperature) {
        for (int row = equilibrium_row_count; row >= 1; --row) {
            if (value < equilibrium_value(row, column)) {
                return row;
            }
        }
    } else {
        for (int row = 1; row <= equilibrium_row_count; ++row) {
            if (value < equilibrium_value(row, column)) {
                return row;
            }
        }
    }
    return 0;
}

}  // namespace

float interpolate_table(float value, int input_column, int output_column, int points) {
    if (input_column < 1 || input_column > equilibrium_column_count || output_column < 1 ||
        output_column > equilibrium_column_count || points < 1 || points > max_points) {
        return 0.0f;
    }
    const int first_visited =
        input_column == equilibrium_column::boiling_temperature ? equilibrium_row_count : 1;
    const int row = search_row(value, input_column);
    if (row == 0 || row == first_visited) {
        return 0.0f;
    }

    // Window rows base + 1 .. base + points; the clamps keep it inside rows 2..115.
    int base = round_half_to_even(2 * row - points);
    if (base < 1) {
        base = 1;
    }
    if (base + points > equilibrium_row_count) {
        base = equilibrium_row_count - points;
    }

    std::array<float, max_points> xs{};
    std::array<float, max_points> ys{};
    const auto n = static_cast<std::size_t>(points);
    for (std::size_t k = 0; k < n; ++k) {
        const int table_row = base + 1 + static_cast<int>(k);
        xs[k] = equilibrium_value(table_row, input_column);
        ys[k] = equilibrium_value(table_row, output_column);
    }

    // Each factor and each partial sum is worked out in extended precision and stored as a
    // float, in this order; a different order or a wider store changes the last bits.
    float sum = 0.0f;
    for (std::size_t k = 0; k < n; ++k) {
        float factor = 1.0f;
        for (std::size_t j = 0; j < n; ++j) {
            if (j == k) {
                continue;
            }
            factor = static_cast<float>(((static_cast<long double>(value) - xs[j]) * factor) /
                                        (static_cast<long double>(xs[k]) - xs[j]));
        }
        sum = static_cast<float>(static_cast<long double>(ys[k]) * factor + sum);
    }
    return sum;
}

}  // namespace stillmon
