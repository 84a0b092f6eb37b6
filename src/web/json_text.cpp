#include "web/json_text.h"

#include <array>
#include <charconv>
#include <cmath>

namespace stillmon {

namespace {

template <typename Number>
void append_shortest(std::string& out, Number value) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    std::array<char, 32> digits{};
    const auto [end, error] = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    out.append(digits.data(), error == std::errc{} ? end : digits.data());
}

}  // namespace

void append_json_number(std::string& out, double value) {
    append_shortest(out, value);
}

void append_json_number(std::string& out, float value) {
    append_shortest(out, value);
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
