#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/key_codes.h"
#include "base/operator_state.h"

namespace stillmon {

// What is left for the caller once a key has been applied to the operator state.
struct KeyAction {
    enum class Kind { none, send_command, quit, snapshot, acknowledge_alarms, mark };
    Kind kind = Kind::none;
    std::uint8_t command_byte = 0;  // 100..106 for send_command

    friend bool operator==(const KeyAction&, const KeyAction&) = default;
};

// Applies one operator key: parameters within their limits, pause toggle, redraw request,
// proof entry on Enter, and every key without a function of its own appended to the entry
// text. Keys compare exactly and case-sensitively ("Q" is not "q").
KeyAction apply_operator_key(OperatorState& state, std::string_view key);

}  // namespace stillmon
