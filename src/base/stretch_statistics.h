#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

namespace stillmon {

// The spread of one value over a stretch of records: its mean and its range. Values that
// are not numbers (a value the record does not have) are left out.
struct ValueSpread {
    std::uint64_t count = 0;
    double sum = 0.0;
    double min = std::numeric_limits<double>::infinity();
    double max = -std::numeric_limits<double>::infinity();

    void add(double value);
    // NaN when no value was added.
    double mean() const;
};

// A run cut into stretches at its marks (its start to the first mark, from mark to mark, the
// last mark to its end), with the spread of each value over each stretch: how the column
// behaved in each phase the operator marked.
class StretchStatistics {
  public:
    explicit StretchStatistics(std::size_t values) : values_(values) { begin_stretch(); }

    // The records from the next one on belong to a new stretch.
    void begin_stretch() { stretches_.emplace_back(values_); }
    // One record's values, in the order the statistics were made for.
    void add(std::span<const double> record);
    // One a stretch, in order, each with one spread a value; a stretch may have no records
    // (two marks at one record, a mark at the first).
    const std::vector<std::vector<ValueSpread>>& stretches() const { return stretches_; }

  private:
    std::size_t values_;
    std::vector<std::vector<ValueSpread>> stretches_;
};

}  // namespace stillmon
