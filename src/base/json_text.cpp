#include "base/json_text.h"

#include "base/shortest_number.h"

namespace stillmon {

void append_json_number(std::string& out, double value) {
    if (!append_shortest_number(out, value)) {
        out += "null";
    }
}

void append_json_number(std::string& out, float value) {
    if (!append_shortest_number(out, value)) {
        out += "null";
    }
}

namespace {

// Quotes, backslashes, control characters and "<" are escaped; bytes above 0x7F too when
// they are Latin-1 characters, and passed as they are when they are UTF-8.
void append_escaped(std::string& out, std::string_view text, bool latin1) {
    static constexpr std::string_view hex = "0123456789abcdef";
    out += '"';
    for (const char c : text) {
        const auto code = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if ((code >= 0x20 && code < 0x7F && c != '<') || (code >= 0x80 && !latin1)) {
            out += c;
        } else {
            out += "\\u00";
            out += hex[code >> 4];
            out += hex[code & 0x0F];
        }
    }
    out += '"';
}

}  // namespace

void append_json_string(std::string& out, std::string_view text) {
    append_escaped(out, text, true);
}

void append_json_utf8_string(std::string& out, std::string_view text) {
    append_escaped(out, text, false);
}

}  // namespace stillmon
