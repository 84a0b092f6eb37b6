#include "base/number_forms.h"

#include <array>
#include <charconv>
#include <cmath>

namespace stillmon {

std::string integer_form(std::int32_t value) {
    std::string text = value < 0 ? "" : " ";
    return text + std::to_string(value);
}

std::string short_form(std::int16_t value) {
    return integer_form(value);
}

std::string single_form(float value) {
    std::array<char, 64> buffer{};
    // to_chars with a precision is printf's "%.7g" in the C locale, whatever the process locale.
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::general, 7);
    std::string digits(buffer.data(), result.ptr);
    if (!digits.empty() && digits.back() == '.') {
        digits.pop_back();
    }
    return std::signbit(value) ? digits : " " + digits;
}

}  // namespace stillmon
