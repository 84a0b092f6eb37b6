#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace stillmon {

// Operator parameters and flags shared by the acquisition cycle (main thread) and the link
// supervisor (second thread). Each field says who writes it; a change takes effect at the
// reader's next use. Parameters are stored only after clamping, so a reader never sees a
// value outside its range.
struct OperatorState {
    static constexpr int window_limit = 256;
    static constexpr int replay_delay_limit = 20;

    // Written by the supervisor (keys); read by the cycle.
    std::atomic<int> valve_window{20};      // 0..256, samples in the valve average
    std::atomic<int> flow_window{30};       // 0..256, samples in the flow average
    std::atomic<int> ratio_period{97};      // 0..256, a ratio period spans this + 1 cycles
    std::atomic<int> correction_gain{117};  // 0..256, percent
    std::atomic<int> replay_delay{0};       // 0..20, in 10 ms steps per replayed record
    std::atomic<float> proof_value{0.0f};   // 3.0 < value < 96.6 once set
    std::atomic<bool> replay_paused{false};

    // Raised by the supervisor (key c), taken by the cycle.
    std::atomic<bool> redraw_requested{false};
    // Raised by the cycle after too many timing errors, taken by the supervisor.
    std::atomic<bool> link_reset_requested{false};
    // Raised by the supervisor (snapshot key), taken by the main thread, which owns the surface.
    std::atomic<bool> snapshot_request{false};
    // Raised by the supervisor (acknowledge key), taken by the main thread, which owns the
    // alarms.
    std::atomic<bool> alarm_acknowledge_request{false};
    // Set at start-up when alarms are configured; without them the acknowledge key is an
    // ordinary key, typed into the entry text as before alarms existed.
    std::atomic<bool> alarms_configured{false};
    // Set at start-up in a live run with a configuration, which keeps a journal; without one
    // the mark key is an ordinary key, as before marks existed.
    std::atomic<bool> marks_configured{false};

    // Clock reading of the last completed frame, seconds. Written by the cycle, read by the
    // supervisor's stall test.
    std::atomic<double> last_frame_time_s{0.0};

    // The operator's typed characters: the supervisor appends and empties it, the cycle
    // prints it and empties it on a redraw.
    std::string entry_text() const {
        std::lock_guard lock(entry_mutex_);
        return entry_text_;
    }
    void append_entry(std::string_view text) {
        std::lock_guard lock(entry_mutex_);
        entry_text_ += text;
    }
    // Returns the text and leaves it empty.
    std::string take_entry() {
        std::lock_guard lock(entry_mutex_);
        std::string taken;
        taken.swap(entry_text_);
        return taken;
    }
    void clear_entry() {
        std::lock_guard lock(entry_mutex_);
        entry_text_.clear();
    }

    // The mark key (supervisor) leaves the entry text as a mark's text, empty when nothing was
    // typed, and empties the entry; the main thread takes the marks in the order they came.
    void mark_entry() {
        std::lock_guard lock(entry_mutex_);
        pending_marks_.push_back(std::move(entry_text_));
        entry_text_.clear();
    }
    std::vector<std::string> take_marks() {
        std::lock_guard lock(entry_mutex_);
        std::vector<std::string> taken;
        taken.swap(pending_marks_);
        return taken;
    }

  private:
    mutable std::mutex entry_mutex_;
    std::string entry_text_;
    std::vector<std::string> pending_marks_;
};

}  // namespace stillmon
