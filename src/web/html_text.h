#pragma once

#include <string>
#include <string_view>

namespace stillmon {

// UTF-8 text as an HTML page's text or attribute value: & < > " escaped, control characters
// made blanks.
std::string html_text(std::string_view utf8);
// The same of a Latin-1 text (a logged one, a mark's), each byte read as Latin-1.
std::string html_text_of_latin1(std::string_view latin1);

}  // namespace stillmon
