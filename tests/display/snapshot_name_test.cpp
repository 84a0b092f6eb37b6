#include "display/snapshot_name.h"

#include <regex>

#include <gtest/gtest.h>

namespace stillmon {
namespace {

std::tm local(int year, int month, int day, int hour, int minute, int second) {
    std::tm time{};
    time.tm_year = year - 1900;
    time.tm_mon = month - 1;
    time.tm_mday = day;
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_sec = second;
    return time;
}

TEST(SnapshotName, SpellsOutTheLocalTimeWithLeadingZeros) {
    struct Case {
        std::tm time;
        std::string_view name;
    };
    const Case cases[] = {
        {local(2026, 12, 8, 17, 15, 0), "stillmon-20261208-171500.png"},
        {local(2027, 1, 2, 3, 4, 5), "stillmon-20270102-030405.png"},
        {local(1999, 12, 31, 23, 59, 59), "stillmon-19991231-235959.png"},
        {local(2030, 10, 30, 0, 0, 0), "stillmon-20301030-000000.png"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(snapshot_file_name(c.time), c.name);
    }
}

TEST(SnapshotName, LaterChoicesAreNumberedBeforeTheExtension) {
    EXPECT_EQ(numbered_snapshot_name("stillmon-20261208-171500.png", 1),
              "stillmon-20261208-171500.png");
    EXPECT_EQ(numbered_snapshot_name("stillmon-20261208-171500.png", 2),
              "stillmon-20261208-171500-2.png");
    EXPECT_EQ(numbered_snapshot_name("stillmon-20261208-171500.png", 13),
              "stillmon-20261208-171500-13.png");
}

TEST(SnapshotName, NowHasTheSameForm) {
    EXPECT_TRUE(
        std::regex_match(snapshot_file_name_now(), std::regex(R"(stillmon-20\d{6}-\d{6}\.png)")));
}

}  // namespace
}  // namespace stillmon
