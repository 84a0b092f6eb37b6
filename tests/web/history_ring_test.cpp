#include "web/history_ring.h"

#include <gtest/gtest.h>

namespace stillmon {
namespace {

CycleRecord numbered(int number) {
    CycleRecord record;
    record.record_number = static_cast<std::uint16_t>(number);
    return record;
}

std::vector<std::uint64_t> indices(const std::vector<IndexedRecord>& records) {
    std::vector<std::uint64_t> found;
    for (const auto& r : records) {
        EXPECT_EQ(r.record.record_number, r.index * 10);  // each index keeps its own record
        found.push_back(r.index);
    }
    return found;
}

TEST(HistoryRing, KeepsTheNewestCyclesAndHandsOutThoseAfterAnIndex) {
    HistoryRing ring(600);
    EXPECT_FALSE(ring.latest());
    EXPECT_TRUE(ring.since(0, 10).empty());
    for (int i = 1; i <= 1000; ++i) {
        EXPECT_EQ(ring.push(numbered(10 * i)), static_cast<std::uint64_t>(i));
    }
    EXPECT_EQ(ring.latest()->index, 1000u);
    EXPECT_EQ(ring.newest_index(), 1000u);
    // The oldest 400 have gone; a reader behind them gets what is left, in batches.
    const auto all = ring.since(0, 5000);
    ASSERT_EQ(all.size(), 600u);
    EXPECT_EQ(all.front().index, 401u);
    EXPECT_EQ(indices(all).back(), 1000u);
    EXPECT_EQ(indices(ring.since(997, 10)), (std::vector<std::uint64_t>{998, 999, 1000}));
    EXPECT_EQ(indices(ring.since(500, 2)), (std::vector<std::uint64_t>{501, 502}));
    EXPECT_TRUE(ring.since(1000, 10).empty());
    EXPECT_TRUE(ring.since(5000, 10).empty());
    EXPECT_TRUE(ring.since(~std::uint64_t{0}, 10).empty());
}

}  // namespace
}  // namespace stillmon
