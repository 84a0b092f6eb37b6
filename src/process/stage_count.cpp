#include "process/stage_count.h"

#include <array>
#include <cstddef>

#include "base/numbers.h"
#include "process/equilibrium_table.h"
#include "process/interpolation.h"

namespace stillmon {

namespace {

void print_status_line(TextScreen& screen, float input_strength, float output_strength,
                       int whole_stages, double fractional_stages) {
    screen.set_text_position(4, 10);
    screen.set_text_colours(15, 0);
    screen.print(" Proof Input=", false);
    screen.print(format_number(input_strength, "0.00"), false);
    screen.print(", Proof Output=", false);
    screen.print(format_number(output_strength, "0.00"), false);
    screen.print(", D Stage=", false);
    screen.print(format_number(whole_stages, "0.0"), false);
    screen.print(", DLine St=", false);
    screen.print(format_number(fractional_stages, "0.00"), false);
    screen.print("            ", true);
}

}  // namespace

float count_stages(float input_strength, float output_strength, int points, TextScreen& screen) {
    if (!(input_strength > 0.0f)) {
        return 0.0f;
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

    // The status line shows the crossing point before it is rounded to a float.
    print_status_line(screen, input_strength, output_strength, stages,
                      static_cast<double>(fractional));
    return static_cast<float>(fractional);
}

}  // namespace stillmon
