#include "app/link_supervisor.h"

#include "app/operator_keys.h"

namespace stillmon {

LinkSupervisor::LinkSupervisor(RunMode mode, std::string port_text, OperatorState& state,
                               DeviceLink* link, Platform platform)
    : mode_(mode),
      port_text_(std::move(port_text)),
      state_(state),
      link_(link),
      platform_(std::move(platform)) {}

void LinkSupervisor::run() {
    while (true) {
        run_pass();
    }
}

void LinkSupervisor::run_pass() {
    platform_.sleep_ms(pass_interval_ms);
    if (mode_ == RunMode::live) {
        watch_link();
    }
    take_key();
}

void LinkSupervisor::watch_link() {
    const bool reset_requested = state_.link_reset_requested.exchange(false);
    const bool stalled = platform_.now_s() - state_.last_frame_time_s.load() > stall_limit_s;
    if (!reset_requested && !stalled) {
        return;
    }
    // The last frame time stays as it is: while frames stay away this repeats every pass.
    if (link_ == nullptr) {
        return;
    }
    link_->close();
    platform_.sleep_ms(reopen_pause_ms);
    link_->open(port_text_);
}

void LinkSupervisor::take_key() {
    const std::optional<std::string> pressed = platform_.next_key();
    if (!pressed) {
        return;
    }
    const KeyAction action = apply_operator_key(state_, *pressed);
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
        case KeyAction::Kind::none:
            break;
    }
}

}  // namespace stillmon
