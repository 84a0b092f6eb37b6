#include "process/chart_value.h"

#include <cmath>
#include <limits>

namespace stillmon {

std::int16_t chart_raw_value(float value) {
    constexpr std::int16_t out_of_range = std::numeric_limits<std::int16_t>::min();
    if (!std::isfinite(value)) {
        return out_of_range;
    }
    // Spelled out rather than left to the current floating-point rounding mode.
    const double wide = value;
    double rounded = std::floor(wide);
    const double fraction = wide - rounded;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(rounded, 2.0) != 0.0)) {
        rounded += 1.0;
    }
    if (rounded < std::numeric_limits<std::int16_t>::min() ||
        rounded > std::numeric_limits<std::int16_t>::max()) {
        return out_of_range;
    }
    return static_cast<std::int16_t>(rounded);
}

}  // namespace stillmon
