#pragma once

#include <cstddef>
#include <vector>

namespace stillmon {

// Which of a long series' values a chart draws so that it stays light and keeps its peaks:
// all of them when there are no more than `most`; else the values taken in buckets, each
// drawn by its lowest and its highest value in the order they came (never more than `most`
// in all), or by its first value where it has none but NaN (a gap in the line). In order.
std::vector<std::size_t> thinned_indices(const std::vector<double>& values, std::size_t most);

}  // namespace stillmon
