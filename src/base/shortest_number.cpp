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

std::string readable_number(double value) {
    std::string text;
    append_shortest_number(text, std::round(value * 10.0) / 10.0);
    return text;
}

}  // namespace stillmon
