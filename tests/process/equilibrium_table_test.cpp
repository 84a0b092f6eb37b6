#include "process/equilibrium_table.h"

#include <set>

#include <gtest/gtest.h>

namespace stillmon {
namespace {

namespace column = equilibrium_column;

TEST(EquilibriumTable, BoilingTemperaturesSpanTheAzeotropeToWater) {
    EXPECT_EQ(equilibrium_value(1, column::boiling_temperature), 99.9f);
    EXPECT_EQ(equilibrium_value(115, column::boiling_temperature), 78.15f);
}

TEST(EquilibriumTable, LiquidAndVapourAgreeAtTheAzeotrope) {
    const float azeotrope[] = {95.57f, 97.2f, 89.41f};
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(equilibrium_value(115, column::liquid_by_mass + c), azeotrope[c]) << c;
        EXPECT_EQ(equilibrium_value(115, column::vapour_by_mass + c), azeotrope[c]) << c;
    }
}

TEST(EquilibriumTable, VapourMoleFractionKeepsItsTwoIrregularEntries) {
    EXPECT_EQ(equilibrium_value(50, column::vapour_mole_fraction), 49.77f);
    EXPECT_EQ(equilibrium_value(51, column::vapour_mole_fraction), 59.27f);
    EXPECT_EQ(equilibrium_value(52, column::vapour_mole_fraction), 50.78f);
    EXPECT_EQ(equilibrium_value(73, column::vapour_mole_fraction), 55.11f);

    std::set<int> falling_rows;
    for (int row = 2; row <= equilibrium_row_count; ++row) {
        if (!(equilibrium_value(row, column::vapour_mole_fraction) >
              equilibrium_value(row - 1, column::vapour_mole_fraction))) {
            falling_rows.insert(row);
        }
    }
    EXPECT_EQ(falling_rows, (std::set<int>{52, 73}));
}

TEST(EquilibriumTable, SearchedColumnsAreStrictlyMonotonic) {
    for (int c = column::liquid_by_mass; c <= column::vapour_by_volume; ++c) {
        for (int row = 2; row <= equilibrium_row_count; ++row) {
            const float previous = equilibrium_value(row - 1, c);
            const float current = equilibrium_value(row, c);
            if (c == column::boiling_temperature) {
                EXPECT_LT(current, previous) << "column " << c << " row " << row;
            } else {
                EXPECT_GT(current, previous) << "column " << c << " row " << row;
            }
        }
    }
}

TEST(EquilibriumTable, RowsFollowTheLiquidMassSteps) {
    EXPECT_EQ(equilibrium_value(1, column::liquid_by_mass), 0.01f);
    for (int row = 2; row <= 20; ++row) {
        // 0.1 % to 1 % in steps of 0.05 %
        const auto expected = static_cast<float>(row * 5 / 100.0);
        EXPECT_EQ(equilibrium_value(row, column::liquid_by_mass), expected) << row;
    }
    for (int row = 20; row <= 114; ++row) {
        EXPECT_EQ(equilibrium_value(row, column::liquid_by_mass), static_cast<float>(row - 19))
            << row;
    }
    EXPECT_EQ(equilibrium_value(115, column::liquid_by_mass), 95.57f);
}

TEST(EquilibriumTable, ReadsOutsideTheTableGiveZero) {
    const int outside[][2] = {{0, 1}, {1, 0}, {116, 1}, {1, 8}, {-1, 4}, {115, 8}};
    for (const auto& position : outside) {
        EXPECT_EQ(equilibrium_value(position[0], position[1]), 0.0f)
            << position[0] << "," << position[1];
    }
}

}  // namespace
}  // namespace stillmon
