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

void append_json_string(std::string& out, std::string_view text) {
    static constexpr std::string_view hex = "0123456789abcdef";
    out += '"';
    for (const char c : text) {
        const auto code = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (code >= 0x20 && code < 0x7F && c != '<') {
            out += c;
        } else {
            out += "\\u00";
            out += hex[code >> 4];
            out += hex[code & 0x0F];
        }
    }
    out += '"';
}

}  // namespace stillmon
