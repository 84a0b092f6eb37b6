#include "alarms/alarm_notices.h"

#include <cmath>

#include "system/wall_clock.h"

namespace stillmon {

std::string_view alarm_state_name(AlarmState state) {
    switch (state) {
        case AlarmState::normal:
            return "normal";
        case AlarmState::pending:
            return "pending";
        case AlarmState::firing:
            return "firing";
    }
    return {};
}

std::string_view alarm_change_name(AlarmChange change) {
    switch (change) {
        case AlarmChange::firing:
            return "firing";
        case AlarmChange::repeat:
            return "repeat";
        case AlarmChange::cleared:
            return "cleared";
        case AlarmChange::acknowledged:
            return "acknowledged";
        case AlarmChange::none:
            break;
    }
    return {};
}

std::string_view alarm_severity_name(AlarmSeverity severity) {
    return severity == AlarmSeverity::critical ? "critical" : "warning";
}

AlarmNotice alarm_notice_of(const AlarmEvent& event, std::string time) {
    const AlarmRule& rule = *event.rule;
    return {rule.name,
            std::string(alarm_change_name(event.change)),
            std::string(alarm_severity_name(rule.severity)),
            std::string(alarm_value_name(rule.value)),
            event.value,
            rule.threshold,
            rule.above,
            event.record_number,
            event.device_time,
            std::move(time)};
}

std::vector<AlarmSnapshot> alarm_snapshots(const AlarmBoard& board, const ClockPair& now) {
    std::vector<AlarmSnapshot> snapshots;
    snapshots.reserve(board.alarms().size());
    for (const AlarmTracker& tracker : board.alarms()) {
        const AlarmRule& rule = tracker.rule();
        const auto age =
            std::chrono::duration<double>(std::max(0.0, now.monotonic_s - tracker.since_s()));
        const auto since =
            now.wall - std::chrono::duration_cast<std::chrono::system_clock::duration>(age);
        snapshots.push_back({rule.name, std::string(alarm_value_name(rule.value)),
                             std::string(alarm_severity_name(rule.severity)),
                             std::string(alarm_state_name(tracker.state())), tracker.last_value(),
                             rule.threshold, rule.above, iso8601_local_time(since),
                             tracker.acknowledged(), tracker.fired_count()});
    }
    return snapshots;
}

}  // namespace stillmon
