#include "web/chart_thinning.h"

#include <algorithm>
#include <cmath>

namespace stillmon {

std::vector<std::size_t> thinned_indices(const std::vector<double>& values, std::size_t most) {
    const std::size_t count = values.size();
    const std::size_t bucket = count <= most ? 1 : (2 * count + most - 1) / most;
    std::vector<std::size_t> kept;
    for (std::size_t first = 0; first < count; first += bucket) {
        const std::size_t end = std::min(count, first + bucket);
        std::size_t low = end;
        std::size_t high = end;
        for (std::size_t at = first; at < end; ++at) {
            if (!std::isnan(values[at])) {
                low = low == end || values[at] < values[low] ? at : low;
                high = high == end || values[at] > values[high] ? at : high;
            }
        }
        if (low == end) {
            kept.push_back(first);
            continue;
        }
        kept.push_back(std::min(low, high));
        if (low != high) {
            kept.push_back(std::max(low, high));
        }
    }
    return kept;
}

}  // namespace stillmon
