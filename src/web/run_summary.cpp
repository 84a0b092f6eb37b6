#include "web/run_summary.h"

#include <cmath>
#include <string_view>

namespace stillmon {

namespace {

void keep_highest(std::optional<RunPeak>& peak, double value, const CycleRecord& record) {
    if (std::isfinite(value) && (!peak || value > peak->value)) {
        peak = RunPeak{value, record.record_number, record.device_time};
    }
}

}  // namespace

void RunSummary::add(const CycleRecord& record) {
    if (records_ == 0) {
        first_device_time_ = record.device_time;
    } else {
        keep_highest(longest_gap_, record.interval_s, record);
    }
    ++records_;
    last_device_time_ = record.device_time;
    if (const auto clock_s = device_seconds_of_day(record.device_time)) {
        if (last_clock_s_) {
            clock_steps_s_ += device_clock_step_s(*last_clock_s_, *clock_s);
            clock_stepped_ = true;
        }
        last_clock_s_ = clock_s;
    }
    keep_highest(highest_tank_, record.temperatures_c[0], record);
    if (record.vapour_strength > 0.0f) {
        keep_highest(highest_vapour_, record.vapour_strength, record);
    }
    if (record.has_stages) {
        keep_highest(most_stages_, record.stages, record);
    }
}

std::optional<double> RunSummary::duration_s() const {
    if (!clock_stepped_) {
        return std::nullopt;
    }
    return static_cast<double>(clock_steps_s_);
}

}  // namespace stillmon
