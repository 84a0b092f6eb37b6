#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "alarms/alarm_board.h"
#include "alarms/alarm_notices.h"
#include "base/alarm_notice.h"
#include "base/cycle_record.h"
#include "base/journal_entry.h"

namespace stillmon {

// One look at the alarms as its consumers take it.
struct AlarmLook {
    const AlarmBoard& board;
    const std::vector<AlarmEvent>& events;    // the changes the look found, in order
    const std::vector<AlarmNotice>& notices;  // the same changes as notices
    ClockPair now;
};

// Where the main thread's passes go besides the window and the logs (the cycle writes those
// itself, before the next frame): each cycle's record, each look at the alarms and each entry
// of the run's journal (a mark, a session's start or end, live or replayed), to the consumers
// registered at start-up (the page, MQTT, the alarm window, the notifications, the journal
// file), in the order they were registered. Main thread only: a consumer copies or hands over and
// returns; the events file's line is the most that waits.
class CycleOutputs {
  public:
    using CycleConsumer = std::function<void(const CycleRecord& record, double now_s)>;
    using AlarmConsumer = std::function<void(const AlarmLook& look)>;
    using JournalConsumer = std::function<void(const JournalEntry& entry)>;

    void on_each_cycle(CycleConsumer consume) { cycle_consumers_.push_back(std::move(consume)); }
    void on_each_alarm_look(AlarmConsumer consume) {
        alarm_consumers_.push_back(std::move(consume));
    }
    void on_each_journal_entry(JournalConsumer consume) {
        journal_consumers_.push_back(std::move(consume));
    }

    // `now_s` is the program's monotonic clock at the cycle.
    void cycle_drawn(const CycleRecord& record, double now_s) const;
    // `events` are the changes the look found, `now_s` the board's clock at the look.
    void alarms_looked(const AlarmBoard& board, const std::vector<AlarmEvent>& events,
                       double now_s) const;
    void journal_entry_made(const JournalEntry& entry) const;

  private:
    std::vector<CycleConsumer> cycle_consumers_;
    std::vector<AlarmConsumer> alarm_consumers_;
    std::vector<JournalConsumer> journal_consumers_;
};

}  // namespace stillmon
