#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "base/cycle_record.h"

namespace stillmon {

// A cycle record and its place in the run: the first cycle is index 1.
struct IndexedRecord {
    std::uint64_t index = 0;
    CycleRecord record;
};

// The run's cycles for the page, newest last, in a ring of fixed capacity: when it is full
// the oldest cycle goes. The main thread adds one record per cycle; the server's threads read
// copies. Each lock is held for a copy of at most a few hundred records, so a reader asking
// for hours of history never keeps a cycle waiting more than microseconds.
class HistoryRing {
  public:
    // 72 hours at one cycle a second (32 MiB when full).
    static constexpr std::size_t default_capacity = 262'144;

    explicit HistoryRing(std::size_t capacity = default_capacity);

    // Returns the index the record got.
    std::uint64_t push(const CycleRecord& record);

    // The records after index `after` still held, oldest first, at most `limit` of them.
    std::vector<IndexedRecord> since(std::uint64_t after, std::size_t limit) const;
    std::optional<IndexedRecord> latest() const;
    // The index of the newest record; 0 before the first.
    std::uint64_t newest_index() const;
    std::size_t capacity() const { return capacity_; }

  private:
    static constexpr std::size_t records_per_lock = 256;

    const CycleRecord& at(std::uint64_t index) const {
        return slots_[static_cast<std::size_t>((index - 1) % capacity_)];
    }

    std::size_t capacity_;
    mutable std::mutex mutex_;
    std::vector<CycleRecord> slots_;  // grows to the capacity, then is reused in a ring
    std::uint64_t newest_ = 0;
};

}  // namespace stillmon
