#include "base/stretch_statistics.h"

#include <algorithm>
#include <cmath>

namespace stillmon {

void ValueSpread::add(double value) {
    if (std::isnan(value)) {
        return;
    }
    ++count;
    sum += value;
    min = std::min(min, value);
    max = std::max(max, value);
}

double ValueSpread::mean() const {
    return count == 0 ? std::numeric_limits<double>::quiet_NaN() : sum / static_cast<double>(count);
}

void StretchStatistics::add(std::span<const double> record) {
    std::vector<ValueSpread>& stretch = stretches_.back();
    for (std::size_t at = 0; at < stretch.size() && at < record.size(); ++at) {
        stretch[at].add(record[at]);
    }
}

}  // namespace stillmon
