#include "report/alarm_history.h"

#include <cmath>
#include <string>
#include <utility>

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

AlarmHistory::AlarmHistory(const RunConfig& config, std::optional<AlarmEventRecords> logged)
    : config_(config), logged_(std::move(logged)), fired_at_s_(config.alarms.size(), 0.0) {
    for (const AlarmRule& rule : config.alarms) {
        alarms_.push_back({rule.name, condition_of(rule), {}});
    }
}

void AlarmHistory::start_session() {
    board_.emplace(config_.alarms, config_.arm_after_s, 0.0);
    clock_ = LoggedClock{};
    session_logged_ = false;
    firings_before_session_.clear();
    for (const ReportedAlarm& alarm : alarms_) {
        firings_before_session_.push_back(alarm.firings.size());
    }
}

void AlarmHistory::end_session() {
    const bool evaluated = !logged_ || session_logged_;
    for (std::size_t alarm = 0; alarm < alarms_.size(); ++alarm) {
        std::vector<AlarmFiring>& firings = alarms_[alarm].firings;
        if (!evaluated) {
            firings.resize(firings_before_session_[alarm]);
        } else if (firings.size() > firings_before_session_[alarm] && !firings.back().cleared) {
            firings.back().duration_s = clock_.now_s() - fired_at_s_[alarm];
        }
    }
    sessions_.push_back(!logged_          ? SessionAlarms::what_if
                        : session_logged_ ? SessionAlarms::logged
                                          : SessionAlarms::not_evaluated);
}

void AlarmHistory::finish() {
    if (board_) {
        end_session();
        board_.reset();
    }
}

void AlarmHistory::add(const CycleRecord& record, std::uint64_t index, bool starts_session) {
    if (starts_session || !board_) {
        finish();
        start_session();
    }
    if (logged_ && logged_->contains({record.record_number, record.device_time})) {
        session_logged_ = true;
    }
    clock_.advance(record);
    for (const AlarmEvent& event : board_->after_cycle(record, std::nullopt, clock_.now_s())) {
        std::size_t alarm = 0;
        while (&board_->alarms()[alarm].rule() != event.rule) {
            ++alarm;
        }
        const AlarmMoment moment{index, event.record_number, event.device_time, event.value};
        std::vector<AlarmFiring>& firings = alarms_[alarm].firings;
        if (event.change == AlarmChange::firing) {
            firings.push_back({sessions_.size() + 1, moment, std::nullopt, 0.0});
            fired_at_s_[alarm] = clock_.now_s();
        } else if (event.change == AlarmChange::cleared && !firings.empty()) {
            firings.back().cleared = moment;
            firings.back().duration_s = clock_.now_s() - fired_at_s_[alarm];
        }
    }
}

}  // namespace stillmon::report
