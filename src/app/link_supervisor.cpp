#include "app/link_supervisor.h"

#include <algorithm>

#include "app/operator_keys.h"

namespace stillmon {

LinkSupervisor::LinkSupervisor(RunMode mode, PortSettings port, OperatorState& state,
                               DeviceLink* link, Platform platform)
    : mode_(mode), port_(port), state_(state), link_(link), platform_(std::move(platform)) {}

void LinkSupervisor::run() {
    while (true) {
        run_pass();
    }
}

void LinkSupervisor::run_pass() {
    // Keys are carried out one per pass, so command bytes reach the device at most ten a
    // second, however fast they were typed.
    platform_.sleep_ms(pass_interval_ms);
    const std::optional<std::string> pressed = platform_.next_key(seconds_until_link_look());
    if (mode_ == RunMode::live) {
        watch_link();
    }
    if (pressed) {
        carry_out(*pressed);
    }
}

double LinkSupervisor::seconds_until_link_look() const {
    if (mode_ != RunMode::live) {
        return unwatched_wait_s;
    }
    if (state_.link_reset_requested.load()) {
        return 0.0;
    }
    return std::max(0.0, state_.last_frame_time_s.load() + stall_limit_s - platform_.now_s());
}

void LinkSupervisor::watch_link() {
    const bool reset_requested = state_.link_reset_requested.exchange(false);
    const bool stalled = platform_.now_s() - state_.last_frame_time_s.load() > stall_limit_s;
    if ((!reset_requested && !stalled) || link_ == nullptr) {
        return;
    }
    // Frames that wait to be read came while this program was stopped or the machine slept:
    // the device is not silent, and a re-open would throw them away. Nor is it out of step:
    // read one a cycle, such frames come at the cycle's pace, too fast for its timing check,
    // and a re-open that check asked for would lose those the device sends meanwhile.
    if (link_->has_unread_bytes()) {
        return;
    }
    // The last frame time stays as it is: while frames stay away this repeats every pass.
    link_->close();
    platform_.sleep_ms(reopen_pause_ms);
    const OpenResult result = link_->open(port_);
    if (platform_.reopened) {
        platform_.reopened(result);
    }
}

void LinkSupervisor::carry_out(const std::string& pressed) {
    const KeyAction action = apply_operator_key(state_, pressed);
    switch (action.kind) {
        case KeyAction::Kind::send_command:
            if (link_ != nullptr) {
                link_->write_command_byte(action.command_byte);
            }
            break;
        case KeyAction::Kind::quit:
            platform_.quit(55);
            break;
        case KeyAction::Kind::snapshot:
            if (platform_.snapshot) {
                platform_.snapshot();
            }
            break;
        case KeyAction::Kind::acknowledge_alarms:
        case KeyAction::Kind::mark:
            if (platform_.wake_main_thread) {
                platform_.wake_main_thread();  // the alarms and the journal are its own
            }
            break;
        case KeyAction::Kind::none:
            break;
    }
}

}  // namespace stillmon
