#include "app/operator_keys.h"

#include <algorithm>

#include "base/numbers.h"

namespace stillmon {

namespace {

constexpr float proof_lower_bound = 3.0f;   // excluded
constexpr float proof_upper_bound = 96.6f;  // excluded

// Moves a parameter one step within 0..limit. Only the clamped value is ever stored.
void step_parameter(std::atomic<int>& parameter, int step, int limit) {
    const int current = parameter.load();
    parameter.store(std::clamp(current + step, 0, limit));
}

void take_proof_entry(OperatorState& state) {
    const double value = read_number(state.take_entry());
    if (value > proof_lower_bound && value < proof_upper_bound) {
        state.proof_value.store(static_cast<float>(value));
    }
}

}  // namespace

KeyAction apply_operator_key(OperatorState& state, std::string_view pressed) {
    using Kind = KeyAction::Kind;
    constexpr int window_limit = OperatorState::window_limit;

    if (pressed == key::enter) {
        take_proof_entry(state);
        return {};
    }
    if (pressed == key::escape || pressed == "x") {
        return {Kind::quit};
    }
    if (pressed == key::snapshot) {
        return {Kind::snapshot};
    }
    if (pressed == key::acknowledge_alarms && state.alarms_configured.load()) {
        state.alarm_acknowledge_request.store(true);
        return {Kind::acknowledge_alarms};
    }
    if (pressed == key::mark && state.marks_configured.load()) {
        state.mark_entry();
        return {Kind::mark};
    }
    if (pressed.size() == 1) {
        switch (pressed[0]) {
            case 's':
            case ' ':
                state.replay_paused.store(!state.replay_paused.load());
                return {};
            case 'c':
                state.redraw_requested.store(true);
                return {};
            case 'q':
                step_parameter(state.valve_window, +1, window_limit);
                return {};
            case 'w':
                step_parameter(state.valve_window, -1, window_limit);
                return {};
            case 'e':
                step_parameter(state.replay_delay, +1, OperatorState::replay_delay_limit);
                return {};
            case 'r':
                step_parameter(state.replay_delay, -1, OperatorState::replay_delay_limit);
                return {};
            case 't':
                step_parameter(state.ratio_period, +1, window_limit);
                return {};
            case 'y':
                step_parameter(state.ratio_period, -1, window_limit);
                return {};
            case 'u':
                step_parameter(state.correction_gain, +1, window_limit);
                return {};
            case 'i':
                step_parameter(state.correction_gain, -1, window_limit);
                return {};
            case 'o':
                step_parameter(state.flow_window, +1, window_limit);
                return {};
            case 'p':
                step_parameter(state.flow_window, -1, window_limit);
                return {};
            case 'd':
                return {Kind::send_command, 100};
            case 'f':
                return {Kind::send_command, 101};
            case 'g':
                return {Kind::send_command, 102};
            case 'h':
                return {Kind::send_command, 103};
            case 'j':
                return {Kind::send_command, 104};
            case 'k':
                return {Kind::send_command, 105};
            case 'l':
                return {Kind::send_command, 106};
            case 'z':
                return {};
            default:
                break;
        }
    }
    state.append_entry(pressed);
    return {};
}

}  // namespace stillmon
