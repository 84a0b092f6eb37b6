#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "base/alarm_notice.h"
#include "base/cycle_record.h"
#include "base/journal_entry.h"
#include "base/window_picture.h"
#include "web/history_ring.h"

namespace stillmon {

// How the link has fared, as the page and /metrics show it.
struct LinkStatus {
    std::uint64_t cycles = 0;               // cycles completed (frames logged, or replayed)
    std::uint64_t timing_errors = 0;        // cycles whose frame came outside its interval
    std::uint64_t reopens = 0;              // times the supervisor re-opened the link
    std::optional<double> last_cycle_time;  // monotonic clock reading of the latest cycle
};

// A window picture as published, numbered so that a reader can tell a new one from one it
// has already encoded.
struct PublishedPicture {
    std::uint64_t serial = 0;
    WindowPicture picture;
};

// An alarm's firing or clearing where the charts mark it: at `index`, the run's cycle that was
// the newest when it happened (the charts' x values are cycle indexes, not record numbers).
struct AlarmMark {
    std::uint64_t index = 0;
    std::string alarm;
    std::string state;  // "firing" or "cleared"
    std::uint16_t record_number = 0;
    std::string device_time;
    std::string time;  // wall clock, ISO 8601 with offset
};

// The alarms as the page shows them, published as one whole: a reader never sees a mark
// without the state of the alarm that made it.
struct AlarmsShown {
    std::vector<AlarmSnapshot> alarms;  // empty without alarms
    std::vector<AlarmMark> marks;       // oldest first
};

// A journal entry where the charts draw it: at `index`, the run's cycle it stands at.
struct JournalLine {
    std::uint64_t index = 0;
    JournalEntry entry;
};

// The run's journal as the page shows it, oldest first.
struct JournalShown {
    std::vector<JournalLine> lines;
    std::uint64_t dropped = 0;  // the oldest entries gone to keep within the capacity
};

// Everything the running program shows outside its window, in one place: the main thread
// publishes each cycle, between cycles a copy of the window, and with alarms their state
// after every look and each firing and clearing; the supervisor counts its re-opens; the
// page's server reads from here and nowhere else. Publishing copies under a lock held for
// microseconds, so no reader can delay a cycle.
class LiveView {
  public:
    // Marks kept for the charts: a flapping alarm must not grow the list without end.
    static constexpr std::size_t alarm_mark_capacity = 200;
    // Journal entries kept: a run's handful of marks and sessions, with room for a replay of
    // a log appended to for years.
    static constexpr std::size_t journal_capacity = 10'000;

    explicit LiveView(std::size_t history_capacity = HistoryRing::default_capacity)
        : history_(history_capacity) {}

    // Main thread, once per cycle, with the cycle's monotonic clock reading.
    void publish_cycle(const CycleRecord& record, double now_s);
    // Main thread, between cycles.
    void publish_picture(WindowPicture picture);
    // Supervisor thread.
    void count_link_reopen() { reopens_.fetch_add(1); }
    // Main thread, for each change of an alarm: a firing or a clearing becomes a chart mark
    // at the newest cycle published, shown with the next publish_alarms; repeats and
    // acknowledgements leave the charts alone.
    void note_alarm_change(const AlarmNotice& notice);
    // Main thread, after every look at the alarms: each alarm as it stands, and the marks
    // noted since the last time.
    void publish_alarms(std::vector<AlarmSnapshot> alarms);
    // Main thread, for each entry of the run's journal, live or replayed.
    void add_journal_entry(const JournalEntry& entry);
    // Main thread, once a replay has shown its last record and waits at its "Repeat ? "
    // prompt: no record will come any more, which the page says instead of a silent link.
    void mark_replay_ended() { replay_ended_.store(true); }

    const HistoryRing& history() const { return history_; }
    LinkStatus link_status() const;
    bool replay_ended() const { return replay_ended_.load(); }
    // The reflux ratio of the latest ratio period that had one.
    std::optional<float> last_reflux_ratio() const;
    // Null until the first picture.
    std::shared_ptr<const PublishedPicture> picture() const;
    // At most alarm_mark_capacity marks.
    std::shared_ptr<const AlarmsShown> alarms() const;
    // A copy of the entries kept: asked for only when the revision has moved.
    JournalShown journal() const;
    // Entries added so far, dropped ones included: the page fetches the journal when it moves.
    std::uint64_t journal_revision() const { return journal_revision_.load(); }
    std::uint64_t marks_made() const { return marks_made_.load(); }

  private:
    HistoryRing history_;
    std::atomic<std::uint64_t> timing_errors_{0};
    std::atomic<std::uint64_t> reopens_{0};
    std::atomic<bool> replay_ended_{false};
    std::atomic<double> last_cycle_time_{-1.0};  // below 0 before the first cycle
    std::atomic<bool> has_reflux_ratio_{false};
    std::atomic<float> reflux_ratio_{0.0f};
    mutable std::mutex picture_mutex_;
    std::shared_ptr<const PublishedPicture> picture_;
    // Replaced whole, never changed in place: a reader keeps what it took while the main
    // thread publishes the next.
    mutable std::mutex alarms_mutex_;
    std::shared_ptr<const AlarmsShown> alarms_ = std::make_shared<const AlarmsShown>();
    std::vector<AlarmMark> unpublished_marks_;  // main thread only
    mutable std::mutex journal_mutex_;
    std::deque<JournalLine> journal_;
    std::atomic<std::uint64_t> journal_revision_{0};
    std::atomic<std::uint64_t> marks_made_{0};
};

}  // namespace stillmon
