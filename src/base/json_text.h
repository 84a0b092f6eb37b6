#pragma once

#include <string>
#include <string_view>

namespace stillmon {

// JSON texts that hold whatever the program has, in any locale: the shortest decimal form
// that reads back as the same value, with a "." decimal point; null for a value JSON has no
// number for (infinite or not a number).
void append_json_number(std::string& out, double value);
void append_json_number(std::string& out, float value);
// A quoted string; bytes outside printable ASCII are escaped (a logged field is Latin-1 at
// best, so each such byte is taken as the Latin-1 character with its code), and so is "<",
// so that the text can stand inside a page's <script> element.
void append_json_string(std::string& out, std::string_view text);
// A quoted string of UTF-8 text (the command line's log name, an alarm's name): its bytes
// above 0x7F pass as they are.
void append_json_utf8_string(std::string& out, std::string_view text);

}  // namespace stillmon
