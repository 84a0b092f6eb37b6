#include "base/shortest_number.h"

#include <array>
#include <cfloat>
#include <charconv>
#include <cmath>

namespace stillmon {

namespace {

// std::to_chars ignores the locale: the same digits in every country.
template <typename Number>
bool append_shortest(std::string& out, Number value) {
    if (!std::isfinite(value)) {
        return false;
    }
    std::array<char, 32> digits{};
    const auto [end, error] = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    out.append(digits.data(), error == std::errc{} ? end : digits.data());
    return true;
}

}  // namespace

bool append_shortest_number(std::string& out, double value) {
    return append_shortest(out, value);
}

bool append_shortest_number(std::string& out, float value) {
    return append_shortest(out, value);
}

bool append_shortest_reading(std::string& out, double value) {
    // Outside the float's range the narrowing would be undefined, and no float equals it.
    if (std::isfinite(value) && std::fabs(value) <= FLT_MAX) {
        const auto narrow = static_cast<float>(value);
        if (static_cast<double>(narrow) == value) {
            return append_shortest(out, narrow);
        }
    }
    return append_shortest(out, value);
}

std::string readable_number(double value, int decimals) {
    // Room for the largest double written out in full, and its decimals.
    std::array<char, 400> digits{};
    const auto [end, error] = std::to_chars(digits.data(), digits.data() + digits.size(), value,
                                            std::chars_format::fixed, decimals);
    std::string text;
    if (!std::isfinite(value) || error != std::errc{}) {
        append_shortest_number(text, value);
        return text;
    }
    text.assign(digits.data(), end);
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') {
            text.pop_back();
        }
    }
    return text == "-0" ? "0" : text;
}

}  // namespace stillmon
