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

void RunSummary::add(const CycleRecord& record, bool starts_session) {
    if (records_ == 0) {
        first_device_time_ = record.device_time;
    }
    if (records_ == 0 || starts_session) {
        sessions_.push_back({records_ + 1, record.record_number, record.device_time, 0, {}});
        last_clock_s_.reset();
    } else {
        keep_highest(longest_gap_, record.interval_s, record);
    }
    ++records_;
    ++sessions_.back().records;
    last_device_time_ = record.device_time;
    if (const auto clock_s = device_seconds_of_day(record.device_time)) {
        if (last_clock_s_) {
            std::optional<double>& duration_s = sessions_.back().duration_s;
            duration_s = duration_s.value_or(0.0) + device_clock_step_s(*last_clock_s_, *clock_s);
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
    std::optional<double> total_s;
    for (const RunSession& session : sessions_) {
        if (session.duration_s) {
            total_s = total_s.value_or(0.0) + *session.duration_s;
        }
    }
    return total_s;
}

}  // namespace stillmon
