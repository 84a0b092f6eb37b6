#pragma once

#include <string>
#include <string_view>

namespace stillmon {

// Turns a value into text under a number mask: k >= 1 digit places "0", optionally "." and
// n >= 1 further places ("0", "00", "0.0", "0.00", "0.000"). Every number in the text lines,
// chart labels and logs goes through here, so the text log reads back byte for byte.
// An exact half in the last place rounds toward zero; values below one unit of the last
// place become an unsigned zero; the decimal point is always "." whatever the locale.
std::string format_number(double value, std::string_view mask);

// The leading number of a text: blanks skipped, "&H" / "&O" / "&B" radix forms, otherwise
// the longest decimal number (with "D" allowed as exponent letter). Never fails: text that
// does not begin with a number reads as 0.
double read_number(std::string_view text);

}  // namespace stillmon
