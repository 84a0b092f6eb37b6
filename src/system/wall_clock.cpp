#include "system/wall_clock.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace stillmon {

namespace {

// Seconds of a broken-down time counted from 1970-01-01 00:00 of its own calendar.
long long calendar_seconds(const std::tm& time) {
    using namespace std::chrono;
    const sys_days day = year{time.tm_year + 1900} / static_cast<unsigned>(time.tm_mon + 1) /
                         static_cast<unsigned>(time.tm_mday);
    return day.time_since_epoch().count() * 86400LL + time.tm_hour * 3600LL + time.tm_min * 60LL +
           time.tm_sec;
}

// Seconds east of UTC of the local time `local` that was made from `utc_seconds`, by calendar
// arithmetic: mktime would read the time zone again at every call, freeing and allocating
// inside the C library from whichever thread asks (the main thread for the alarms, the
// ending signals' thread for the journal's last line).
long utc_offset_s(const std::tm& local, std::time_t utc_seconds) {
    std::tm utc{};
    gmtime_r(&utc_seconds, &utc);
    return static_cast<long>(calendar_seconds(local) - calendar_seconds(utc));
}

}  // namespace

std::string iso8601_local_time(std::chrono::system_clock::time_point when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    localtime_r(&seconds, &local);
    const long offset = utc_offset_s(local, seconds);
    const long offset_minutes = (offset < 0 ? -offset : offset) / 60;
    std::array<char, 96> text{};
    std::snprintf(text.data(), text.size(), "%04d-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld",
                  local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                  local.tm_min, local.tm_sec, offset < 0 ? '-' : '+', offset_minutes / 60,
                  offset_minutes % 60);
    return text.data();
}

}  // namespace stillmon
