#include "report/alarm_history.h"

#include <cmath>
#include <string>

#include "base/shortest_number.h"
#include "web/run_summary.h"

namespace stillmon::report {

namespace {

std::string number_text(double value) {
    std::string text;
    append_shortest_number(text, value);
    return text;
}

// "steam above 80 for 30 s, clears at 78; warning"
std::string condition_of(const AlarmRule& rule) {
    std::string text = std::string(alarm_value_name(rule.value)) +
                       (rule.above ? " above " : " below ") + number_text(rule.threshold);
    if (rule.for_s > 0.0) {
        text += " for " + number_text(rule.for_s) + " s";
    }
    if (rule.clear != rule.threshold) {
        text += ", clears at " + number_text(rule.clear);
    }
    return text + (rule.severity == AlarmSeverity::critical ? "; critical" : "; warning");
}

}  // namespace

AlarmHistory::AlarmHistory(const AlarmConfig& config)
    : board_(config.alarms, config.arm_after_s, 0.0), fired_at_s_(config.alarms.size(), 0.0) {
    for (const AlarmTracker& alarm : board_.alarms()) {
        alarms_.push_back({alarm.rule().name, condition_of(alarm.rule()), {}});
    }
}

void AlarmHistory::advance_clock(const CycleRecord& record) {
    const auto device_clock_s = device_seconds_of_day(record.device_time);
    if (std::isfinite(record.interval_s) && record.interval_s >= 0.0) {
        now_s_ += record.interval_s;
    } else if (device_clock_s && last_device_clock_s_) {
        now_s_ += device_clock_step_s(*last_device_clock_s_, *device_clock_s);
    }
    if (device_clock_s) {
        last_device_clock_s_ = device_clock_s;
    }
}

void AlarmHistory::add(const CycleRecord& record, std::uint64_t index) {
    advance_clock(record);
    for (const AlarmEvent& event : board_.after_cycle(record, std::nullopt, now_s_)) {
        std::size_t alarm = 0;
        while (&board_.alarms()[alarm].rule() != event.rule) {
            ++alarm;
        }
        const AlarmMoment moment{index, event.record_number, event.device_time, event.value};
        std::vector<AlarmFiring>& firings = alarms_[alarm].firings;
        if (event.change == AlarmChange::firing) {
            firings.push_back({moment, std::nullopt, 0.0});
            fired_at_s_[alarm] = now_s_;
        } else if (event.change == AlarmChange::cleared && !firings.empty()) {
            firings.back().cleared = moment;
            firings.back().duration_s = now_s_ - fired_at_s_[alarm];
        }
    }
}

std::vector<ReportedAlarm> AlarmHistory::alarms() const {
    std::vector<ReportedAlarm> alarms = alarms_;
    for (std::size_t alarm = 0; alarm < alarms.size(); ++alarm) {
        if (!alarms[alarm].firings.empty() && !alarms[alarm].firings.back().cleared) {
            alarms[alarm].firings.back().duration_s = now_s_ - fired_at_s_[alarm];
        }
    }
    return alarms;
}

}  // namespace stillmon::report
