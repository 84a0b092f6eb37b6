#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

#include "alarms/alarm_board.h"
#include "app/cycle_host.h"
#include "app/cycle_outputs.h"
#include "base/error_lines.h"
#include "base/key_queue.h"
#include "base/logged_clock.h"
#include "base/operator_state.h"
#include "display/snapshot_name.h"
#include "display/surface.h"
#include "display/window_presenter.h"
#include "web/live_view.h"

namespace stillmon {

// The main thread's surroundings for the cycle: it sleeps in the window's event wait, woken
// by the window's events, a frame read's answer and snapshot requests (carried out here, since
// they need the surface). Each cycle's record and each look at the alarms go to its outputs.
// When the page is served, a copy of the window's pixels goes to the live view, taken here
// between cycles.
class MainThreadHost final : public CycleHost {
  public:
    struct Surroundings {
        WindowPresenter& presenter;
        const Surface& surface;
        OperatorState& state;
        KeyQueue& keys;
        LiveView* view;  // null when no page is served
        std::function<double()> now_s;
        SnapshotSaver save_snapshot;
        std::ostream& console;
    };

    explicit MainThreadHost(Surroundings surroundings) : at_(std::move(surroundings)) {}

    double now_s() override { return at_.now_s(); }
    void wait_ms(int duration_ms) override;
    void wait_for_wake_up() override;
    void keep_window_live() override;
    void wake_up() override { at_.presenter.wake(); }
    void wake_supervisor() override { at_.keys.wake_waiting(); }
    void cycle_drawn(const CycleRecord& record) override;

    void take_snapshot_if_requested();

    // Where each cycle and each look at the alarms go; its consumers are registered at
    // start-up, before the first cycle.
    CycleOutputs& outputs() { return outputs_; }

    // From here on the alarms are evaluated after each cycle, when the operator acknowledges
    // them and, for an alarm on the frame age in a live run, between cycles at the moment it
    // can change; what each look found goes to the outputs. A live run's alarms measure time
    // by the program's clock, a replay's by the log's (LoggedClock): the board's `run_start_s`
    // must be on the same clock.
    void watch_alarms(AlarmBoard& board, bool live);

    // From here on the operator's marks (a live run that keeps a journal) are taken as they
    // come, at the latest drawn record (record 0 before the first), stamped with `wall_time`:
    // each is said and goes to the outputs as a journal entry, but for one whose text holds a
    // control character, which is said to be refused and kept nowhere.
    void take_marks(Say say, std::function<std::string()> wall_time);

  private:
    void take_pending_marks();
    void look_at_alarms(const CycleRecord* record);
    // The alarms' clock at a look, after `record` when the look follows a cycle.
    double alarm_now_s(const CycleRecord* record);
    // When the wait that would end at `otherwise` must end to look at the alarms.
    std::chrono::steady_clock::time_point next_alarm_look(
        std::chrono::steady_clock::time_point otherwise);

    void publish_picture(bool about_to_wait);

    Surroundings at_;
    CycleOutputs outputs_;
    AlarmBoard* alarms_ = nullptr;
    bool alarms_live_ = false;
    bool looks_between_cycles_ = false;
    LoggedClock replayed_clock_;
    Say say_marks_;
    std::function<std::string()> wall_time_;
    std::uint16_t drawn_record_number_ = 0;
    std::string drawn_device_time_;
    std::uint64_t picture_revision_ = ~std::uint64_t{0};
    double picture_time_s_ = 0.0;
};

}  // namespace stillmon
