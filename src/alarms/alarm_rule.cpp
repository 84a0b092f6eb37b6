#include "alarms/alarm_rule.h"

#include <array>
#include <utility>

namespace stillmon {

namespace {

constexpr std::array<std::pair<AlarmValue, std::string_view>, 17> value_names{{
    {AlarmValue::tank, "tank"},
    {AlarmValue::first_stage, "first_stage"},
    {AlarmValue::second_stage, "second_stage"},
    {AlarmValue::steam, "steam"},
    {AlarmValue::top_he, "top_he"},
    {AlarmValue::centre, "centre"},
    {AlarmValue::bottom_he, "bottom_he"},
    {AlarmValue::out_water, "out_water"},
    {AlarmValue::liquid_strength, "liquid_strength"},
    {AlarmValue::vapour_strength, "vapour_strength"},
    {AlarmValue::stages, "stages"},
    {AlarmValue::reflux_ratio, "reflux_ratio"},
    {AlarmValue::valve, "valve"},
    {AlarmValue::flow, "flow"},
    {AlarmValue::frame_interval, "frame_interval"},
    {AlarmValue::timing_errors, "timing_errors"},
    {AlarmValue::frame_age, "frame_age"},
}};

}  // namespace

std::string_view alarm_value_name(AlarmValue value) {
    for (const auto& [known, name] : value_names) {
        if (known == value) {
            return name;
        }
    }
    return {};
}

std::optional<AlarmValue> alarm_value_named(std::string_view name) {
    for (const auto& [value, known] : value_names) {
        if (known == name) {
            return value;
        }
    }
    return std::nullopt;
}

bool AlarmTracker::past_threshold(double value) const {
    return rule_.above ? value > rule_.threshold : value < rule_.threshold;
}

bool AlarmTracker::back_to_clear(double value) const {
    return rule_.above ? value <= rule_.clear : value >= rule_.clear;
}

AlarmChange AlarmTracker::observe(std::optional<double> value, double now_s, bool armed) {
    if (value) {
        last_value_ = value;
    }
    switch (state_) {
        case AlarmState::normal:
            if (!value || !armed || !past_threshold(*value)) {
                return AlarmChange::none;
            }
            state_ = AlarmState::pending;
            since_s_ = now_s;
            [[fallthrough]];
        case AlarmState::pending:
            if (value && !past_threshold(*value)) {
                state_ = AlarmState::normal;
                since_s_ = now_s;
                return AlarmChange::none;
            }
            if (!value || now_s - since_s_ < rule_.for_s) {
                return AlarmChange::none;
            }
            state_ = AlarmState::firing;
            acknowledged_ = false;
            ++fired_count_;
            since_s_ = notified_s_ = now_s;
            return AlarmChange::firing;
        case AlarmState::firing:
            if (value && back_to_clear(*value)) {
                state_ = AlarmState::normal;
                since_s_ = now_s;
                return AlarmChange::cleared;
            }
            if (rule_.repeat_s && !acknowledged_ && now_s - notified_s_ >= *rule_.repeat_s) {
                notified_s_ = now_s;
                return AlarmChange::repeat;
            }
            return AlarmChange::none;
    }
    return AlarmChange::none;
}

AlarmChange AlarmTracker::acknowledge() {
    if (state_ != AlarmState::firing || acknowledged_) {
        return AlarmChange::none;
    }
    acknowledged_ = true;
    return AlarmChange::acknowledged;
}

}  // namespace stillmon
