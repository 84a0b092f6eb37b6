#pragma once

#include <string>
#include <string_view>

namespace stillmon {

// UTF-8 text as an HTML page's text or attribute value: & < > " escaped, control characters
// made blanks.
std::string html_text(std::string_view utf8);

}  // namespace stillmon
