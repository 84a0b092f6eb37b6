#include "web/live_view.h"

#include <algorithm>
#include <utility>

namespace stillmon {

void LiveView::publish_cycle(const CycleRecord& record, double now_s) {
    history_.push(record);
    if (record.timing_errors > 0) {
        timing_errors_.fetch_add(1);
    }
    if (record.has_reflux_ratio) {
        reflux_ratio_.store(record.reflux_ratio);
        has_reflux_ratio_.store(true);
    }
    last_cycle_time_.store(now_s);
}

std::optional<float> LiveView::last_reflux_ratio() const {
    if (!has_reflux_ratio_.load()) {
        return std::nullopt;
    }
    return reflux_ratio_.load();
}

void LiveView::publish_picture(WindowPicture picture) {
    // Built outside the lock; the lock covers the exchange of two pointers. The old picture
    // is freed by whoever lets go of it last, here or on a server thread still encoding it.
    auto published = std::make_shared<PublishedPicture>();
    published->picture = std::move(picture);
    std::shared_ptr<const PublishedPicture> old;
    std::lock_guard lock(picture_mutex_);
    published->serial = picture_ ? picture_->serial + 1 : 1;
    old = std::exchange(picture_, std::move(published));
}

// Every look publishes, the list being a handful of alarms: built by the caller, it costs
// one allocation here and the exchange of two pointers under the lock, and the page never
// shows a value older than the latest look.
void LiveView::note_alarm_change(const AlarmNotice& notice) {
    if (notice.state == "firing" || notice.state == "cleared") {
        unpublished_marks_.push_back({history_.newest_index(), notice.alarm, notice.state,
                                      notice.record_number, notice.device_time, notice.time});
    }
}

void LiveView::publish_alarms(std::vector<AlarmSnapshot> alarms) {
    // Only the main thread replaces what is shown, so the marks the next is built from are
    // still current when they are exchanged; changes are rare, and a copy of 200 marks is
    // nothing.
    const std::vector<AlarmMark>& shown = alarms_->marks;
    const std::size_t kept =
        std::min(shown.size(),
                 alarm_mark_capacity - std::min(alarm_mark_capacity, unpublished_marks_.size()));
    auto next = std::make_shared<AlarmsShown>();
    next->alarms = std::move(alarms);
    next->marks.assign(shown.end() - static_cast<std::ptrdiff_t>(kept), shown.end());
    const std::size_t fresh = std::min(unpublished_marks_.size(), alarm_mark_capacity);
    next->marks.insert(next->marks.end(),
                       unpublished_marks_.end() - static_cast<std::ptrdiff_t>(fresh),
                       unpublished_marks_.end());
    unpublished_marks_.clear();
    std::shared_ptr<const AlarmsShown> old;
    std::lock_guard lock(alarms_mutex_);
    old = std::exchange(alarms_, std::move(next));
}

std::shared_ptr<const AlarmsShown> LiveView::alarms() const {
    std::lock_guard lock(alarms_mutex_);
    return alarms_;
}

void LiveView::add_journal_entry(const JournalEntry& entry) {
    // At the newest cycle: a replay hands each entry with the record it stands at, a live run
    // a mark after the record the operator saw. One before any (a live session's start, a mark
    // at once) stands at the first.
    JournalLine line{std::max<std::uint64_t>(history_.newest_index(), 1), entry};
    std::lock_guard lock(journal_mutex_);
    if (journal_.size() == journal_capacity) {
        journal_.pop_front();
    }
    journal_.push_back(std::move(line));
    marks_made_.fetch_add(entry.kind == JournalKind::mark ? 1 : 0);
    journal_revision_.fetch_add(1);  // with the entry, so that the dropped ones add up
}

// Entries are few and rare: the copy under the lock is of a handful of lines, and even a full
// journal's copy takes a fraction of a millisecond, while the main thread adds an entry only
// when the operator marks one.
JournalShown LiveView::journal() const {
    JournalShown shown;
    std::lock_guard lock(journal_mutex_);
    shown.lines.assign(journal_.begin(), journal_.end());
    shown.dropped = journal_revision_.load() - journal_.size();
    return shown;
}

LinkStatus LiveView::link_status() const {
    LinkStatus status;
    status.cycles = history_.newest_index();
    status.timing_errors = timing_errors_.load();
    status.reopens = reopens_.load();
    if (const double last = last_cycle_time_.load(); last >= 0.0) {
        status.last_cycle_time = last;
    }
    return status;
}

std::shared_ptr<const PublishedPicture> LiveView::picture() const {
    std::lock_guard lock(picture_mutex_);
    return picture_;
}

}  // namespace stillmon
