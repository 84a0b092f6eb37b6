#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace stillmon {

// What an alarm watches: a value each cycle has, or the age of the last whole frame.
enum class AlarmValue {
    tank,
    first_stage,
    second_stage,
    steam,
    top_he,
    centre,
    bottom_he,
    out_water,
    liquid_strength,
    vapour_strength,
    stages,
    reflux_ratio,
    valve,
    flow,
    frame_interval,
    timing_errors,
    frame_age,
};

enum class AlarmSeverity { warning, critical };

// One alarm of the configuration file. It fires once its value has been past the threshold
// (strictly above, or strictly below) for `for_s`, and clears only once the value is back at
// or beyond `clear` (at or below it for an alarm above a threshold): a value wandering about
// the threshold does not make it fire and clear all day.
struct AlarmRule {
    std::string name;
    AlarmValue value = AlarmValue::steam;
    bool above = true;  // false: below
    double threshold = 0.0;
    double clear = 0.0;
    double for_s = 0.0;
    AlarmSeverity severity = AlarmSeverity::warning;
    std::optional<double> repeat_s;  // notify again this often while firing unacknowledged
};

enum class AlarmState { normal, pending, firing };

// What an observation or an acknowledgement changed, as it is said and notified.
enum class AlarmChange { none, firing, repeat, cleared, acknowledged };

// One alarm's state through a run. Pure: the caller says when and what it observed.
class AlarmTracker {
  public:
    // `start_s`: when the run began, the normal state's first start.
    explicit AlarmTracker(AlarmRule rule, double start_s = 0.0)
        : rule_(std::move(rule)), since_s_(start_s) {}

    // An observation at `now_s` (monotonic seconds). Before the run is `armed` nothing
    // fires; a value the cycle does not have leaves the alarm as it was, but for its repeats.
    AlarmChange observe(std::optional<double> value, double now_s, bool armed);
    // Stops the sound and the repeats of a firing alarm until it clears and fires again.
    AlarmChange acknowledge();

    const AlarmRule& rule() const { return rule_; }
    AlarmState state() const { return state_; }
    bool acknowledged() const { return acknowledged_; }
    double since_s() const { return since_s_; }        // of the current state
    double notified_s() const { return notified_s_; }  // the latest firing or repeat
    std::optional<double> last_value() const { return last_value_; }
    std::uint64_t fired_count() const { return fired_count_; }

  private:
    bool past_threshold(double value) const;
    bool back_to_clear(double value) const;

    AlarmRule rule_;
    AlarmState state_ = AlarmState::normal;
    bool acknowledged_ = false;
    double since_s_ = 0.0;
    double notified_s_ = 0.0;
    std::optional<double> last_value_;
    std::uint64_t fired_count_ = 0;
};

// The name the configuration file and the notifications give the value ("steam", ...).
std::string_view alarm_value_name(AlarmValue value);
std::optional<AlarmValue> alarm_value_named(std::string_view name);

}  // namespace stillmon
