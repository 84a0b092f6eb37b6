#include "app/main_thread_host.h"

#include <algorithm>
#include <chrono>

#include "logging/journal_file.h"

namespace stillmon {

using SteadyClock = std::chrono::steady_clock;

namespace {

// A look at the alarms comes this long after the moment a frame-age alarm can change (so
// that "above" holds), and never sooner than this after the previous one.
constexpr double alarm_look_margin_s = 0.005;

}  // namespace

void MainThreadHost::wait_ms(int duration_ms) {
    publish_picture(true);
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(duration_ms);
    do {
        at_.presenter.wait_until(next_alarm_look(deadline));
        take_snapshot_if_requested();
        take_pending_marks();
        look_at_alarms(nullptr);
    } while (SteadyClock::now() < deadline);
}

void MainThreadHost::wait_for_wake_up() {
    publish_picture(true);
    // With a silent device's alarm due the wait ends in time to look at it: the frame read
    // that waits simply waits again.
    at_.presenter.wait_until(next_alarm_look(SteadyClock::time_point::max()));
    take_snapshot_if_requested();
    take_pending_marks();
    look_at_alarms(nullptr);
}

SteadyClock::time_point MainThreadHost::next_alarm_look(SteadyClock::time_point otherwise) {
    if (!looks_between_cycles_) {
        return otherwise;
    }
    const double now = at_.now_s();
    const std::optional<double> due =
        alarms_->next_frame_age_change_s(at_.state.last_frame_time_s.load(), now);
    if (!due) {
        return otherwise;
    }
    const auto wait =
        std::chrono::duration<double>(std::max(0.0, *due - now) + alarm_look_margin_s);
    return std::min(otherwise,
                    SteadyClock::now() + std::chrono::duration_cast<SteadyClock::duration>(wait));
}

void MainThreadHost::keep_window_live() {
    take_pending_marks();
    at_.presenter.service();
    take_snapshot_if_requested();
}

void MainThreadHost::watch_alarms(AlarmBoard& board, bool live) {
    alarms_ = &board;
    alarms_live_ = live;
    // Only the frame age changes between cycles; the operator's acknowledgement wakes the
    // thread itself.
    looks_between_cycles_ = live && board.watches_frame_age();
}

void MainThreadHost::look_at_alarms(const CycleRecord* record) {
    const bool acknowledge = at_.state.alarm_acknowledge_request.exchange(false);
    if (alarms_ == nullptr) {
        return;
    }
    const double now = alarm_now_s(record);
    const std::optional<double> frame_age =
        alarms_live_ ? std::optional(now - at_.state.last_frame_time_s.load()) : std::nullopt;
    std::vector<AlarmEvent> events = record != nullptr
                                         ? alarms_->after_cycle(*record, frame_age, now)
                                         : alarms_->between_cycles(frame_age, now);
    if (acknowledge) {
        const std::vector<AlarmEvent> acknowledged = alarms_->acknowledge_all();
        events.insert(events.end(), acknowledged.begin(), acknowledged.end());
    }
    outputs_.alarms_looked(*alarms_, events, now);
}

double MainThreadHost::alarm_now_s(const CycleRecord* record) {
    if (alarms_live_) {
        return at_.now_s();
    }
    if (record != nullptr) {
        replayed_clock_.advance(*record);
    }
    return replayed_clock_.now_s();
}

void MainThreadHost::take_marks(Say say, std::function<std::string()> wall_time) {
    say_marks_ = std::move(say);
    wall_time_ = std::move(wall_time);
}

void MainThreadHost::take_pending_marks() {
    if (!wall_time_) {
        return;
    }
    for (std::string& text : at_.state.take_marks()) {
        if (const std::optional<std::string> fault = journal_text_fault(text)) {
            say_marks_("stillmon: the mark is not recorded: " + *fault);
            continue;
        }
        JournalEntry mark{drawn_device_time_, drawn_record_number_, wall_time_(), JournalKind::mark,
                          text.empty() ? std::string(untitled_mark) : std::move(text)};
        say_marks_("stillmon: mark \"" + mark.text + "\" at record " +
                   std::to_string(mark.record_number));
        outputs_.journal_entry_made(mark);
    }
}

void MainThreadHost::cycle_drawn(const CycleRecord& record) {
    drawn_record_number_ = record.record_number;
    drawn_device_time_ = record.device_time;
    outputs_.cycle_drawn(record, at_.now_s());
    take_pending_marks();
    // After the record's consumers, so that the page marks a change at this cycle; before the
    // presentation, so that the alarm row belongs to the cycle's picture.
    look_at_alarms(&record);
    at_.presenter.cycle_drawn();
    publish_picture(false);
    take_snapshot_if_requested();
}

void MainThreadHost::take_snapshot_if_requested() {
    if (at_.state.snapshot_request.exchange(false)) {
        at_.presenter.flush();
        at_.save_snapshot(at_.surface, at_.console);
        at_.console.flush();
    }
}

// A copy whenever the picture changed and the main thread is about to wait; at most a few a
// second while cycles follow each other without waiting (a replay at full speed).
void MainThreadHost::publish_picture(bool about_to_wait) {
    constexpr double busy_interval_s = 0.25;
    if (at_.view == nullptr || at_.surface.revision() == picture_revision_) {
        return;
    }
    const double now = at_.now_s();
    if (!about_to_wait && now - picture_time_s_ < busy_interval_s) {
        return;
    }
    const auto pixels = at_.surface.pixels();
    at_.view->publish_picture(
        {at_.surface.width(), at_.surface.height(), {pixels.begin(), pixels.end()}});
    picture_revision_ = at_.surface.revision();
    picture_time_s_ = now;
}

}  // namespace stillmon
