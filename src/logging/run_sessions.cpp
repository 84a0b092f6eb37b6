#include "logging/run_sessions.h"

#include <cmath>

namespace stillmon {

namespace {

constexpr double most_frames_per_s = 2.0;
constexpr double frames_of_slack = 2.0;
constexpr unsigned half_of_count = 32768;

}  // namespace

bool starts_session(std::uint16_t previous_record, std::uint16_t record, double interval_s) {
    // Forward from the previous number, across the end of the count.
    const auto step = static_cast<std::uint16_t>(record - previous_record);
    if (step == 0) {
        return true;
    }
    if (!std::isfinite(interval_s) || interval_s < 0.0) {
        return step >= half_of_count;
    }
    return step > interval_s * most_frames_per_s + frames_of_slack;
}

}  // namespace stillmon
