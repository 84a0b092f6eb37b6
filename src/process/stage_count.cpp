#include "process/stage_count.h"

#include <array>
#include <cstddef>

#include "process/equilibrium_table.h"
#include "process/interpolation.h"

namespace stillmon {

std::optional<StageCount> count_stages(float input_strength, float output_strength, int points) {
    if (!(input_strength > 0.0f)) {
        return std::nullopt;
    }

    std::array<float, stage_limit + 1> strengths{};
    strengths[0] = input_strength;
    int stages = 0;
    bool passed = false;
    while (stages < stage_limit) {
        ++stages;
        const auto current = static_cast<std::size_t>(stages);
        strengths[current] =
            interpolate_table(strengths[current - 1], equilibrium_column::liquid_by_volume,
                              equilibrium_column::vapour_by_volume, points);
        if (strengths[current] > output_strength) {
            passed = true;
            break;
        }
        // A stage without a strength ends the chain: every later stage would yield nothing.
        if (!(strengths[current] > 0.0f)) {
            break;
        }
    }

    long double fractional = 0.0L;
    if (passed) {
        const auto last = static_cast<std::size_t>(stages);
        const auto last_step =
            static_cast<float>(static_cast<long double>(strengths[last]) - strengths[last - 1]);
        const auto overshoot =
            static_cast<float>(static_cast<long double>(strengths[last]) - output_strength);
        if (last_step != 0.0f) {
            fractional = stages - static_cast<long double>(overshoot) / last_step;
        }
    }

    return StageCount{input_strength, output_strength, stages, static_cast<double>(fractional),
                      static_cast<float>(fractional)};
}

}  // namespace stillmon
