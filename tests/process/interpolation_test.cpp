#include "process/interpolation.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "process/equilibrium_table.h"

namespace stillmon {
namespace {

namespace column = equilibrium_column;

constexpr int temperature = column::boiling_temperature;
constexpr int liquid = column::liquid_by_volume;
constexpr int vapour = column::vapour_by_volume;

TEST(InterpolateTable, TemperaturesOutsideTheTableGiveNoResult) {
    const float outside[] = {99.9f,
                             99.95f,
                             100.0f,
                             150.0f,
                             78.14f,
                             78.149f,
                             20.0f,
                             0.0f,
                             -5.0f,
                             std::numeric_limits<float>::quiet_NaN(),
                             std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::infinity()};
    for (const float value : outside) {
        EXPECT_EQ(interpolate_table(value, temperature, liquid, 9), 0.0f) << value;
        EXPECT_EQ(interpolate_table(value, temperature, vapour, 9), 0.0f) << value;
    }
}

TEST(InterpolateTable, AzeotropeTemperatureGivesTheLastRowExactly) {
    EXPECT_EQ(interpolate_table(78.15f, temperature, liquid, 9), 97.2f);
    EXPECT_EQ(interpolate_table(78.15f, temperature, vapour, 9), 97.2f);
}

TEST(InterpolateTable, TabulatedTemperatureGivesItsRowInEveryColumn) {
    for (const int points : {4, 9}) {
        for (int row = 2; row <= equilibrium_row_count; ++row) {
            const float value = equilibrium_value(row, temperature);
            for (int out = 1; out <= equilibrium_column_count; ++out) {
                EXPECT_EQ(interpolate_table(value, temperature, out, points),
                          equilibrium_value(row, out))
                    << "row " << row << " column " << out << " points " << points;
            }
        }
    }
    EXPECT_EQ(interpolate_table(92.6f, temperature, liquid, 9), 9.98f);
    EXPECT_EQ(interpolate_table(92.6f, temperature, vapour, 9), 55.43f);
}

TEST(InterpolateTable, TabulatedLiquidStrengthGivesItsVapour) {
    for (int row = 2; row <= equilibrium_row_count - 1; ++row) {
        EXPECT_EQ(interpolate_table(equilibrium_value(row, liquid), liquid, vapour, 4),
                  equilibrium_value(row, vapour))
            << "row " << row;
    }
    EXPECT_EQ(interpolate_table(11.21f, liquid, vapour, 4), 57.89f);
}

TEST(InterpolateTable, NearTheBoilingPointOfWaterExtrapolatesFromRowTwoOn) {
    EXPECT_EQ(interpolate_table(99.8f, temperature, liquid, 9), 0.13f);
    EXPECT_EQ(interpolate_table(99.8f, temperature, vapour, 9), 1.69f);
    // Frame value 1598: between rows 1 and 2, so extrapolated from rows 2 to 10.
    EXPECT_NEAR(interpolate_table(1598 / 16.0f, temperature, liquid, 9), -4.40f, 0.005f);
    EXPECT_NEAR(interpolate_table(1598 / 16.0f, temperature, vapour, 9), -1.92f, 0.005f);
}

TEST(InterpolateTable, LiquidStrengthBoundsFollowTheStrictSearch) {
    EXPECT_EQ(interpolate_table(0.012f, liquid, vapour, 4), 0.0f);
    // Row 1's own strength is not matched to row 1 but extrapolated from rows 2 to 5.
    EXPECT_NEAR(interpolate_table(0.013f, liquid, vapour, 4), 0.49f, 0.005f);
    EXPECT_EQ(interpolate_table(97.2f, liquid, vapour, 4), 0.0f);
    EXPECT_EQ(interpolate_table(98.0f, liquid, vapour, 4), 0.0f);
    EXPECT_NEAR(interpolate_table(97.19f, liquid, vapour, 4), 97.19f, 0.005f);
}

TEST(InterpolateTable, StrengthsFromColumnTemperatures) {
    EXPECT_NEAR(interpolate_table(92.0f, temperature, liquid, 9), 11.02f, 0.005f);
    EXPECT_NEAR(interpolate_table(92.0f, temperature, vapour, 9), 57.53f, 0.005f);
    EXPECT_EQ(interpolate_table(78.5f, temperature, liquid, 9), 93.27f);
    EXPECT_EQ(interpolate_table(78.5f, temperature, vapour, 9), 94.21f);
}

// Evaluates the Lagrange polynomial through the given rows with the same stored-step rounding,
// so a test can tell which rows a window covered.
float lagrange_over_rows(float x, int first_row, int last_row, int input_column,
                         int output_column) {
    float sum = 0.0f;
    for (int k = first_row; k <= last_row; ++k) {
        float factor = 1.0f;
        for (int j = first_row; j <= last_row; ++j) {
            if (j != k) {
                const long double xj = equilibrium_value(j, input_column);
                factor = static_cast<float>(((static_cast<long double>(x) - xj) * factor) /
                                            (equilibrium_value(k, input_column) - xj));
            }
        }
        sum = static_cast<float>(
            static_cast<long double>(equilibrium_value(k, output_column)) * factor + sum);
    }
    return sum;
}

TEST(InterpolateTable, WindowCentresOnTheBracketWithTiesToEven) {
    // A temperature between rows i and i + 1 stops the search at row i. With 9 points the
    // window is rows i - 3 .. i + 5 for even i and i - 4 .. i + 4 for odd i; with 4 points
    // rows i - 1 .. i + 2; always kept inside rows 2 .. 115.
    for (int row = 1; row <= equilibrium_row_count - 1; ++row) {
        const float value =
            (equilibrium_value(row, temperature) + equilibrium_value(row + 1, temperature)) / 2.0f;
        const int low9 = row % 2 == 0 ? row - 3 : row - 4;
        const int first9 = std::clamp(low9, 2, equilibrium_row_count - 8);
        EXPECT_EQ(interpolate_table(value, temperature, liquid, 9),
                  lagrange_over_rows(value, first9, first9 + 8, temperature, liquid))
            << "between rows " << row << " and " << row + 1;
        const int first4 = std::clamp(row - 1, 2, equilibrium_row_count - 3);
        EXPECT_EQ(interpolate_table(value, temperature, vapour, 4),
                  lagrange_over_rows(value, first4, first4 + 3, temperature, vapour))
            << "between rows " << row << " and " << row + 1;
    }
}

TEST(InterpolateTable, PointCountsOutsideTheTableGiveNoResult) {
    for (const int points : {0, -1, -9, 115, 200, std::numeric_limits<int>::max()}) {
        EXPECT_EQ(interpolate_table(92.0f, temperature, liquid, points), 0.0f) << points;
        EXPECT_EQ(interpolate_table(50.0f, liquid, vapour, points), 0.0f) << points;
    }
}

TEST(InterpolateTable, SmallestAndWidestWindowsStayInsideTheTable) {
    EXPECT_EQ(interpolate_table(92.6f, temperature, liquid, 114), 9.98f);
    EXPECT_EQ(interpolate_table(equilibrium_value(2, temperature), temperature, vapour, 114),
              equilibrium_value(2, vapour));
    // One point: the constant through the window's only row. 50 % stops the search at row 62,
    // and 62 - 0.5 rounds to the even 62, so the window is row 63.
    EXPECT_EQ(interpolate_table(50.0f, liquid, vapour, 1), equilibrium_value(63, vapour));
}

TEST(InterpolateTable, ColumnsOutsideTheTableGiveNoResult) {
    const int columns[][2] = {{0, 2}, {8, 2}, {4, 0}, {4, 8}, {-4, 6}};
    for (const auto& c : columns) {
        EXPECT_EQ(interpolate_table(92.0f, c[0], c[1], 9), 0.0f) << c[0] << "->" << c[1];
    }
}

}  // namespace
}  // namespace stillmon
