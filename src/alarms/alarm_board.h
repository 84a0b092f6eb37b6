#pragma once

#include <optional>
#include <string>
#include <vector>

#include "alarms/alarm_rule.h"
#include "base/cycle_record.h"

namespace stillmon {

// One change of one alarm, with what it is said and notified with.
struct AlarmEvent {
    const AlarmRule* rule = nullptr;
    AlarmChange change = AlarmChange::none;
    std::optional<double> value;  // the alarm's value when it changed
    std::uint16_t record_number = 0;
    std::string device_time;
};

// The value an alarm watches in a cycle's record; nothing when the cycle has none (no stages
// while the strengths fail their test, no reflux ratio but at the end of a period). The
// frame age is no cycle's: AlarmBoard::between_cycles gives it.
std::optional<double> alarm_value_of(AlarmValue value, const CycleRecord& record);

// Every alarm of the configuration through a run: evaluated after each cycle, and between
// cycles for the frame age, so a silent device fires without a cycle. Pure: the caller says
// when (monotonic seconds).
class AlarmBoard {
  public:
    AlarmBoard(const std::vector<AlarmRule>& rules, double arm_after_s, double run_start_s);

    // The frame age is nothing where it means nothing (a replay).
    std::vector<AlarmEvent> after_cycle(const CycleRecord& record,
                                        std::optional<double> frame_age_s, double now_s);
    std::vector<AlarmEvent> between_cycles(std::optional<double> frame_age_s, double now_s);
    // Acknowledges every firing alarm (the operator's key).
    std::vector<AlarmEvent> acknowledge_all();

    const std::vector<AlarmTracker>& alarms() const { return trackers_; }
    // True when an alarm watches the frame age, the one value that changes between cycles.
    bool watches_frame_age() const;
    // With no frame after the one at `last_frame_s`: the earliest moment an alarm on the
    // frame age can change (cross its threshold, end its delay, repeat); nothing when none
    // can before the next frame. A look then fires a silent device's alarm on time without
    // waking the program every fraction of a second.
    std::optional<double> next_frame_age_change_s(double last_frame_s, double now_s) const;
    // True while a critical alarm fires unacknowledged: the tone sounds.
    bool sounding() const;

  private:
    std::vector<AlarmEvent> observe(const CycleRecord* record, std::optional<double> frame_age_s,
                                    double now_s);

    std::vector<AlarmTracker> trackers_;
    double armed_at_s_;
    std::uint16_t last_record_number_ = 0;
    std::string last_device_time_;
};

// The line stderr gets for a change: "stillmon: alarm steam-hot firing: steam 80.6 above 80
// for 30 s", "... cleared: steam 77.9", "... acknowledged" (base/alarm_wording.h words the
// values); repeats are not said.
std::string alarm_event_line(const AlarmEvent& event);

}  // namespace stillmon
