#include "startup/alarm_outputs.h"

#include "system/wall_clock.h"

namespace stillmon {

void AlarmOutputs::looked(const AlarmBoard& board, const std::vector<AlarmEvent>& events,
                          double now_s) {
    if (events.empty() && state_takers_.empty()) {
        return;
    }
    const ClockPair now{now_s, wall_clock_()};
    if (!events.empty()) {
        const std::string time = iso8601_local_time(now.wall);
        for (const AlarmEvent& event : events) {
            if (const std::string line = alarm_event_line(event); !line.empty()) {
                say_(line);
            }
            const AlarmNotice notice = alarm_notice_of(event, time);
            for (const NoticeTaker& take : notice_takers_) {
                take(notice);
            }
        }
    }
    for (const StateTaker& take : state_takers_) {
        take(board, now);
    }
}

}  // namespace stillmon
