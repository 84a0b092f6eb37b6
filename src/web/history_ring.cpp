#include "web/history_ring.h"

#include <algorithm>

namespace stillmon {

// The slots are reserved whole at the start, so a push never moves them under the lock; the
// memory is only touched as the run fills it.
HistoryRing::HistoryRing(std::size_t capacity) : capacity_(std::max<std::size_t>(capacity, 1)) {
    slots_.reserve(capacity_);
}

std::uint64_t HistoryRing::push(const CycleRecord& record) {
    std::lock_guard lock(mutex_);
    ++newest_;
    if (slots_.size() < capacity_) {
        slots_.push_back(record);
    } else {
        slots_[static_cast<std::size_t>((newest_ - 1) % capacity_)] = record;
    }
    return newest_;
}

std::vector<IndexedRecord> HistoryRing::since(std::uint64_t after, std::size_t limit) const {
    std::vector<IndexedRecord> found;
    std::uint64_t next = after + 1;
    while (found.size() < limit) {
        std::lock_guard lock(mutex_);
        const std::uint64_t oldest = newest_ > capacity_ ? newest_ - capacity_ + 1 : 1;
        next = std::max(next, oldest);
        if (next > newest_) {
            break;
        }
        const std::size_t batch =
            std::min<std::uint64_t>({records_per_lock, limit - found.size(), newest_ - next + 1});
        for (std::size_t i = 0; i < batch; ++i, ++next) {
            found.push_back({next, at(next)});
        }
    }
    return found;
}

std::optional<IndexedRecord> HistoryRing::latest() const {
    std::lock_guard lock(mutex_);
    if (newest_ == 0) {
        return std::nullopt;
    }
    return IndexedRecord{newest_, at(newest_)};
}

std::uint64_t HistoryRing::newest_index() const {
    std::lock_guard lock(mutex_);
    return newest_;
}

}  // namespace stillmon
