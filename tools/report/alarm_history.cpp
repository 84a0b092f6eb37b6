#include "report/alarm_history.h"

#include <string>

#include "base/shortest_number.h"

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

void AlarmHistory::add(const CycleRecord& record, std::uint64_t index) {
    clock_.advance(record);
    const double now_s = clock_.now_s();
    for (const AlarmEvent& event : board_.after_cycle(record, std::nullopt, now_s)) {
        std::size_t alarm = 0;
        while (&board_.alarms()[alarm].rule() != event.rule) {
            ++alarm;
        }
        const AlarmMoment moment{index, event.record_number, event.device_time, event.value};
        std::vector<AlarmFiring>& firings = alarms_[alarm].firings;
        if (event.change == AlarmChange::firing) {
            firings.push_back({moment, std::nullopt, 0.0});
            fired_at_s_[alarm] = now_s;
        } else if (event.change == AlarmChange::cleared && !firings.empty()) {
            firings.back().cleared = moment;
            firings.back().duration_s = now_s - fired_at_s_[alarm];
        }
    }
}

std::vector<ReportedAlarm> AlarmHistory::alarms() const {
    std::vector<ReportedAlarm> alarms = alarms_;
    for (std::size_t alarm = 0; alarm < alarms.size(); ++alarm) {
        if (!alarms[alarm].firings.empty() && !alarms[alarm].firings.back().cleared) {
            alarms[alarm].firings.back().duration_s = clock_.now_s() - fired_at_s_[alarm];
        }
    }
    return alarms;
}

}  // namespace stillmon::report
