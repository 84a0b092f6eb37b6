#pragma once

#include <string>
#include <string_view>

namespace stillmon {

// Keys are single bytes in Latin-1, while windows and terminals deliver typed text in UTF-8.
// Converts UTF-8 to Latin-1, one byte per character; characters beyond U+00FF and malformed
// sequences are dropped, since no single-byte key can stand for them.
std::string latin1_from_utf8(std::string_view utf8);

// The other way, for texts read from a log (Latin-1 at best) that go into UTF-8 files: each
// byte is the character with its code.
std::string utf8_from_latin1(std::string_view latin1);

// Bytes in a UTF-8 sequence that starts with this byte: 1 to 4, or 0 for a byte that cannot
// start one (a continuation byte or an invalid lead).
int utf8_sequence_length(unsigned char lead);

}  // namespace stillmon
