#pragma once

#include "base/text_screen.h"

namespace stillmon {

// Longest chain of equilibrium stages that count_stages follows; its strengths fit an array
// of stage_limit + 1 entries.
inline constexpr int stage_limit = 50;

// How many ideal equilibrium stages take a liquid of `input_strength` to a vapour stronger
// than `output_strength` (both % by volume). One stage turns a liquid strength into the
// strength of the vapour in equilibrium with it (interpolated with `points` rows); that vapour,
// condensed, feeds the next stage. Returns the fractional stage count: the whole count k at
// which the chain first passes the target strictly, less the part of the last stage beyond
// the target by linear interpolation.
//
// Writes one status line at row 4, column 10 in white on black:
//   " Proof Input=<in>, Proof Output=<out>, D Stage=<k>, DLine St=<fraction>" + 12 blanks.
//
// No result (returns 0.0f):
//   - input strength not above 0: returns at once and prints nothing;
//   - the chain stops without passing the target, because a stage yields no strength (a liquid
//     outside the table's strengths, or a value that is not above 0) or because it has taken
//     stage_limit stages; the status line then shows the stages taken and "DLine St=0.00",
//     so the operator sees that the count gave up and where;
//   - the last stage did not change the strength (only possible when the input is already
//     above the target), so no crossing point exists; shown as "DLine St=0.00" as well.
// With temperatures the frame can carry and inputs below their targets none of these occur.
float count_stages(float input_strength, float output_strength, int points, TextScreen& screen);

}  // namespace stillmon
