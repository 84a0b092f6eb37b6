#include "system/wall_clock.h"

#include <array>
#include <cstdio>
#include <ctime>

namespace stillmon {

namespace {

// Seconds east of UTC of the local time `local` that was made from `utc_seconds`; timegm is
// not on every system, so the offset is measured by reading the local fields as UTC.
long utc_offset_s(const std::tm& local, std::time_t utc_seconds) {
    std::tm as_utc = local;
    as_utc.tm_isdst = 0;
    std::tm utc{};
    gmtime_r(&utc_seconds, &utc);
    utc.tm_isdst = 0;
    return static_cast<long>(std::difftime(std::mktime(&as_utc), std::mktime(&utc)));
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
