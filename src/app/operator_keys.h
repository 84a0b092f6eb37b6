#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/operator_state.h"

namespace stillmon {

// A key is a text of one character, or two for extended keys: the lead byte 0xFF and a
// code byte (PC scan codes, as the console reports them).
namespace key {
inline constexpr char extended_lead = '\xFF';
inline constexpr std::string_view enter = "\r";
inline constexpr std::string_view escape = "\x1B";
inline constexpr std::string_view backspace = "\x08";
inline constexpr std::string_view up = "\xFFH";
inline constexpr std::string_view down = "\xFFP";
inline constexpr std::string_view left = "\xFFK";
inline constexpr std::string_view right = "\xFFM";
inline constexpr std::string_view home = "\xFFG";
inline constexpr std::string_view end = "\xFFO";
inline constexpr std::string_view page_up = "\xFFI";
inline constexpr std::string_view page_down = "\xFFQ";
inline constexpr std::string_view insert = "\xFFR";
inline constexpr std::string_view delete_key = "\xFFS";
inline constexpr std::string_view window_close = "\xFFk";  // the window's close control
// F1..F10 are 0xFF followed by 0x3B..0x44; F11 and F12 by 0x85 and 0x86.
std::string function_key(int number);
inline constexpr std::string_view snapshot = "\xFF\x86";  // F12
}  // namespace key

// What is left for the caller once a key has been applied to the operator state.
struct KeyAction {
    enum class Kind { none, send_command, quit, snapshot };
    Kind kind = Kind::none;
    std::uint8_t command_byte = 0;  // 100..106 for send_command

    friend bool operator==(const KeyAction&, const KeyAction&) = default;
};

// Applies one operator key: parameters within their limits, pause toggle, redraw request,
// proof entry on Enter, and every key without a function of its own appended to the entry
// text. Keys compare exactly and case-sensitively ("Q" is not "q").
KeyAction apply_operator_key(OperatorState& state, std::string_view key);

}  // namespace stillmon
