#include "alarms/alarm_board.h"

#include <algorithm>

#include "base/alarm_wording.h"
#include "base/shortest_number.h"

namespace stillmon {

namespace {

std::optional<double> present(bool has, float value) {
    return has ? std::optional<double>(value) : std::nullopt;
}

}  // namespace

std::optional<double> alarm_value_of(AlarmValue value, const CycleRecord& record) {
    const auto temperature = [&record](int channel) {
        return std::optional<double>(record.temperatures_c[static_cast<std::size_t>(channel)]);
    };
    switch (value) {
        case AlarmValue::tank:
            return temperature(0);
        case AlarmValue::first_stage:
            return temperature(1);
        case AlarmValue::second_stage:
            return temperature(2);
        case AlarmValue::steam:
            return temperature(3);
        case AlarmValue::top_he:
            return temperature(4);
        case AlarmValue::centre:
            return temperature(5);
        case AlarmValue::bottom_he:
            return temperature(6);
        case AlarmValue::out_water:
            return temperature(7);
        case AlarmValue::liquid_strength:
            return present(record.liquid_strength != 0.0f, record.liquid_strength);
        case AlarmValue::vapour_strength:
            return present(record.vapour_strength != 0.0f, record.vapour_strength);
        case AlarmValue::stages:
            return present(record.has_stages, record.stages);
        case AlarmValue::reflux_ratio:
            return present(record.has_reflux_ratio, record.reflux_ratio);
        case AlarmValue::valve:
            return record.valve;
        case AlarmValue::flow:
            return record.flow;
        case AlarmValue::frame_interval:
            return record.interval_s;
        case AlarmValue::timing_errors:
            return record.timing_errors;
        case AlarmValue::frame_age:
            return std::nullopt;
    }
    return std::nullopt;
}

AlarmBoard::AlarmBoard(const std::vector<AlarmRule>& rules, double arm_after_s, double run_start_s)
    : armed_at_s_(run_start_s + arm_after_s) {
    trackers_.reserve(rules.size());
    for (const AlarmRule& rule : rules) {
        trackers_.emplace_back(rule, run_start_s);
    }
}

std::vector<AlarmEvent> AlarmBoard::after_cycle(const CycleRecord& record,
                                                std::optional<double> frame_age_s, double now_s) {
    last_record_number_ = record.record_number;
    last_device_time_ = record.device_time;
    return observe(&record, frame_age_s, now_s);
}

std::vector<AlarmEvent> AlarmBoard::between_cycles(std::optional<double> frame_age_s,
                                                   double now_s) {
    return observe(nullptr, frame_age_s, now_s);
}

std::vector<AlarmEvent> AlarmBoard::observe(const CycleRecord* record,
                                            std::optional<double> frame_age_s, double now_s) {
    std::vector<AlarmEvent> events;
    const bool armed = now_s >= armed_at_s_;
    for (AlarmTracker& tracker : trackers_) {
        const AlarmValue watched = tracker.rule().value;
        std::optional<double> value;
        if (watched == AlarmValue::frame_age) {
            value = frame_age_s;
        } else if (record != nullptr) {
            value = alarm_value_of(watched, *record);
        }
        const AlarmChange change = tracker.observe(value, now_s, armed);
        if (change != AlarmChange::none) {
            events.push_back({&tracker.rule(), change, tracker.last_value(), last_record_number_,
                              last_device_time_});
        }
    }
    return events;
}

std::vector<AlarmEvent> AlarmBoard::acknowledge_all() {
    std::vector<AlarmEvent> events;
    for (AlarmTracker& tracker : trackers_) {
        if (tracker.acknowledge() == AlarmChange::acknowledged) {
            events.push_back({&tracker.rule(), AlarmChange::acknowledged, tracker.last_value(),
                              last_record_number_, last_device_time_});
        }
    }
    return events;
}

bool AlarmBoard::watches_frame_age() const {
    return std::any_of(trackers_.begin(), trackers_.end(), [](const AlarmTracker& tracker) {
        return tracker.rule().value == AlarmValue::frame_age;
    });
}

std::optional<double> AlarmBoard::next_frame_age_change_s(double last_frame_s, double now_s) const {
    // An alarm on a frame age below a threshold changes at frames, but for its arming: looked
    // at as often as a person notices.
    constexpr double below_look_interval_s = 0.2;
    std::optional<double> next;
    const auto consider = [&next](double moment) {
        if (!next || moment < *next) {
            next = moment;
        }
    };
    for (const AlarmTracker& tracker : trackers_) {
        const AlarmRule& rule = tracker.rule();
        if (rule.value != AlarmValue::frame_age) {
            continue;
        }
        if (!rule.above) {
            consider(now_s + below_look_interval_s);
            continue;
        }
        switch (tracker.state()) {
            case AlarmState::normal:
                consider(std::max(armed_at_s_, last_frame_s + rule.threshold));
                break;
            case AlarmState::pending:
                consider(tracker.since_s() + rule.for_s);
                break;
            case AlarmState::firing:  // it clears only with a frame
                if (rule.repeat_s && !tracker.acknowledged()) {
                    consider(tracker.notified_s() + *rule.repeat_s);
                }
                break;
        }
    }
    return next;
}

bool AlarmBoard::sounding() const {
    for (const AlarmTracker& tracker : trackers_) {
        if (tracker.state() == AlarmState::firing && !tracker.acknowledged() &&
            tracker.rule().severity == AlarmSeverity::critical) {
            return true;
        }
    }
    return false;
}

std::string alarm_event_line(const AlarmEvent& event) {
    const AlarmRule& rule = *event.rule;
    std::string line = "stillmon: alarm " + rule.name;
    const auto condition = [&](bool firing) {
        return alarm_condition(alarm_value_name(rule.value), event.value, rule.threshold,
                               rule.above, firing);
    };
    switch (event.change) {
        case AlarmChange::firing:
            line += " firing: " + condition(true);
            // "no frame for 15.2 s" already says how long the silence lasted.
            if (rule.for_s > 0.0 && rule.value != AlarmValue::frame_age) {
                line += " for " + readable_number(rule.for_s) + " s";
            }
            return line;
        case AlarmChange::cleared:
            return line + " cleared: " + condition(false);
        case AlarmChange::acknowledged:
            return line + " acknowledged";
        case AlarmChange::repeat:
        case AlarmChange::none:
            break;
    }
    return {};
}

}  // namespace stillmon
