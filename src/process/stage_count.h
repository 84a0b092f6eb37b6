#pragma once

#include <optional>

namespace stillmon {

// Longest chain of equilibrium stages that count_stages follows; its strengths fit an array
// of stage_limit + 1 entries.
inline constexpr int stage_limit = 50;

// What a stage count found: the values of the stage line (see the readout table).
struct StageCount {
    float input_strength = 0.0f;
    float output_strength = 0.0f;
    int whole_stages = 0;         // the stage that passed the target, or where the chain stopped
    double crossing_point = 0.0;  // before it is rounded to `stages`, as the stage line shows it
    float stages = 0.0f;          // the fractional stage count, 0 without a result
    bool operator==(const StageCount&) const = default;
};

// How many ideal equilibrium stages take a liquid of `input_strength` to a vapour stronger
// than `output_strength` (both % by volume). One stage turns a liquid strength into the
// strength of the vapour in equilibrium with it (interpolated with `points` rows); that vapour,
// condensed, feeds the next stage. The fractional stage count is the whole count k at which
// the chain first passes the target strictly, less the part of the last stage beyond the
// target by linear interpolation.
//
// No result:
//   - input strength not above 0: nothing is returned, and no stage line is shown;
//   - the chain stops without passing the target, because a stage yields no strength (a liquid
//     outside the table's strengths, or a value that is not above 0) or because it has taken
//     stage_limit stages; the count then holds the stages taken and a crossing point of 0,
//     so the operator sees that the count gave up and where;
//   - the last stage did not change the strength (only possible when the input is already
//     above the target), so no crossing point exists; its crossing point is 0 as well.
// With temperatures the frame can carry and inputs below their targets none of these occur.
[[nodiscard]] std::optional<StageCount> count_stages(float input_strength, float output_strength,
                                                     int points);

}  // namespace stillmon
