#include "app/live_journal.h"

namespace stillmon {

void LiveJournal::record_drawn(const CycleRecord& record) {
    const std::lock_guard lock(mutex_);
    record_number_ = record.record_number;
    device_time_ = record.device_time;
}

void LiveJournal::write(const JournalEntry& entry) {
    const std::lock_guard lock(mutex_);
    if (!ended_) {
        file_.write(entry);
    }
}

void LiveJournal::end(int exit_status) {
    const std::lock_guard lock(mutex_);
    if (!ended_) {
        ended_ = true;
        file_.write({device_time_, record_number_, wall_time_(), JournalKind::session_end,
                     "exit status " + std::to_string(exit_status)});
    }
}

}  // namespace stillmon
