#pragma once

namespace stillmon {

// Boiling alcohol-water mixtures at atmospheric pressure, one equilibrium state per row.
// Rows are ordered by the liquid's alcohol content by mass; row 115 is the azeotrope, where
// liquid and vapour have the same composition. Rows and columns count from 1.
inline constexpr int equilibrium_row_count = 115;
inline constexpr int equilibrium_column_count = 7;

// Columns. Every column rises down the rows except the boiling temperature, which falls
// (and the vapour mole fraction, which dips at rows 51 and 73 but is never searched).
namespace equilibrium_column {
inline constexpr int liquid_by_mass = 1;        // %
inline constexpr int liquid_by_volume = 2;      // %, shown as "Proof"
inline constexpr int liquid_mole_fraction = 3;  // %
inline constexpr int boiling_temperature = 4;   // degrees Celsius
inline constexpr int vapour_by_mass = 5;        // %
inline constexpr int vapour_by_volume = 6;      // %, shown as "Proof"
inline constexpr int vapour_mole_fraction = 7;  // %
}  // namespace equilibrium_column

// The tabulated value at (row 1..115, column 1..7). Anything outside the table reads as 0.0f,
// the value the calculations treat as "no result".
float equilibrium_value(int row, int column);

}  // namespace stillmon
