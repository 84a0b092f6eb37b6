#include "app/cycle_outputs.h"

#include <chrono>
#include <string>

#include "system/wall_clock.h"

namespace stillmon {

void CycleOutputs::cycle_drawn(const CycleRecord& record, double now_s) const {
    for (const CycleConsumer& consume : cycle_consumers_) {
        consume(record, now_s);
    }
}

void CycleOutputs::alarms_looked(const AlarmBoard& board, const std::vector<AlarmEvent>& events,
                                 double now_s) const {
    const ClockPair now{now_s, std::chrono::system_clock::now()};
    std::vector<AlarmNotice> notices;
    if (!events.empty()) {
        const std::string time = iso8601_local_time(now.wall);
        for (const AlarmEvent& event : events) {
            notices.push_back(alarm_notice_of(event, time));
        }
    }
    const AlarmLook look{board, events, notices, now};
    for (const AlarmConsumer& consume : alarm_consumers_) {
        consume(look);
    }
}

void CycleOutputs::journal_entry_made(const JournalEntry& entry) const {
    for (const JournalConsumer& consume : journal_consumers_) {
        consume(entry);
    }
}

}  // namespace stillmon
