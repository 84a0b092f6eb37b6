#include "system/wall_clock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace stillmon {
namespace {

std::chrono::system_clock::time_point utc(int year, unsigned month, unsigned day, int hour) {
    using namespace std::chrono;
    return sys_days{std::chrono::year{year} / month / day} + hours{hour};
}

// Zones given as POSIX rules, so that no time-zone database is needed: summer time, a zone
// west of UTC by hours and a half, and a date past the end of the year in UTC.
TEST(WallClock, LocalTimeCarriesItsOffsetFromUtc) {
    ::setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    ::tzset();
    EXPECT_EQ(iso8601_local_time(utc(2026, 7, 1, 12)), "2026-07-01T14:00:00+02:00");
    EXPECT_EQ(iso8601_local_time(utc(2026, 12, 31, 23)), "2027-01-01T00:00:00+01:00");
    ::setenv("TZ", "NST3:30", 1);
    ::tzset();
    EXPECT_EQ(iso8601_local_time(utc(2026, 1, 1, 2)), "2025-12-31T22:30:00-03:30");
    ::unsetenv("TZ");
    ::tzset();
}

}  // namespace
}  // namespace stillmon
