#pragma once

#include <string>
#include <string_view>

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
inline constexpr std::string_view snapshot = "\xFF\x86";            // F12
inline constexpr std::string_view acknowledge_alarms = "\xFF\x3C";  // F2
inline constexpr std::string_view mark = "\xFF\x3D";                // F3
}  // namespace key

}  // namespace stillmon
