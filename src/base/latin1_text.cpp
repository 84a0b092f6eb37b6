#include "base/latin1_text.h"

#include <cstddef>

namespace stillmon {

namespace {

bool is_continuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

}  // namespace

int utf8_sequence_length(unsigned char lead) {
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    return 0;
}

std::string latin1_from_utf8(std::string_view utf8) {
    std::string latin1;
    latin1.reserve(utf8.size());
    std::size_t at = 0;
    while (at < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[at]);
        const int length = utf8_sequence_length(lead);
        if (length == 0) {
            ++at;
            continue;
        }
        std::size_t complete = 1;
        while (complete < static_cast<std::size_t>(length) && at + complete < utf8.size() &&
               is_continuation(static_cast<unsigned char>(utf8[at + complete]))) {
            ++complete;
        }
        if (complete != static_cast<std::size_t>(length)) {
            at += complete;  // cut short: drop what there is, go on at the next lead
            continue;
        }
        if (length == 1) {
            latin1 += static_cast<char>(lead);
        } else if (length == 2 && lead <= 0xC3) {
            const auto trail = static_cast<unsigned char>(utf8[at + 1]);
            latin1 += static_cast<char>(((lead & 0x1F) << 6) | (trail & 0x3F));
        }
        at += complete;
    }
    return latin1;
}

std::string utf8_from_latin1(std::string_view latin1) {
    std::string utf8;
    utf8.reserve(latin1.size());
    for (const char c : latin1) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 0x80) {
            utf8 += c;
        } else {
            utf8 += static_cast<char>(0xC0 | (code >> 6));
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return utf8;
}

}  // namespace stillmon
