#include "base/logged_clock.h"

#include <charconv>
#include <cmath>

namespace stillmon {

namespace {

constexpr int seconds_per_day = 24 * 3600;

}  // namespace

std::optional<int> device_seconds_of_day(std::string_view text) {
    int parts[3] = {};
    const char* at = text.data();
    const char* end = text.data() + text.size();
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            if (at == end || *at != ':') {
                return std::nullopt;
            }
            ++at;
        }
        const auto [next, error] = std::from_chars(at, end, parts[i]);
        if (error != std::errc{} || next == at || *at == '-') {
            return std::nullopt;
        }
        at = next;
    }
    if (parts[0] > 23 || parts[1] > 59 || parts[2] > 59) {
        return std::nullopt;
    }
    return parts[0] * 3600 + parts[1] * 60 + parts[2];
}

int device_clock_step_s(int from_s, int to_s) {
    return (to_s - from_s + seconds_per_day) % seconds_per_day;
}

void LoggedClock::advance(const CycleRecord& record) {
    const std::optional<int> device_clock_s = device_seconds_of_day(record.device_time);
    if (std::isfinite(record.interval_s) && record.interval_s >= 0.0) {
        now_s_ += record.interval_s;
    } else if (device_clock_s && last_device_clock_s_) {
        now_s_ += device_clock_step_s(*last_device_clock_s_, *device_clock_s);
    }
    if (device_clock_s) {
        last_device_clock_s_ = device_clock_s;
    }
}

}  // namespace stillmon
