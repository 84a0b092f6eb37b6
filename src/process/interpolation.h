#pragma once

namespace stillmon {

// Turns a value of one equilibrium-table column into the matching value of another: a boiling
// temperature into a liquid or vapour strength, or a liquid strength into the strength of the
// vapour rising from it. The value is bracketed by a search (the boiling-temperature column
// from row 115 upwards, every other column from row 1 downwards, strictly "value < entry"),
// and the Lagrange polynomial through `points` consecutive rows around the bracket is
// evaluated, each factor and partial sum rounded to single precision in a fixed order.
//
// Returns 0.0f, which every caller reads as "no result", when
//   - the value lies outside the searched column (before its first or at/after its last
//     entry in search order, or NaN),
//   - a column is outside 1..7,
//   - points is outside 1..114 (0 gives the empty sum; more than 114 rows would reach past
//     the rows a window may use, so such a request has no result either).
// Row 1 only bounds the search: values between rows 1 and 2 are extrapolated from rows 2 on.
float interpolate_table(float value, int input_column, int output_column, int points);

}  // namespace stillmon
