#include "base/numbers.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>

namespace stillmon {

namespace {

struct MaskPlaces {
    int integer_places = 1;   // k: minimum integer digits
    int fraction_places = 0;  // n: exact fraction digits
};

MaskPlaces parse_mask(std::string_view mask) {
    MaskPlaces places{0, 0};
    const auto point = mask.find('.');
    places.integer_places = static_cast<int>(point == std::string_view::npos ? mask.size() : point);
    if (point != std::string_view::npos) {
        places.fraction_places = static_cast<int>(mask.size() - point - 1);
    }
    places.integer_places = std::max(places.integer_places, 1);
    places.fraction_places = std::min(places.fraction_places, 15);
    return places;
}

double power_of_ten(int exponent) {
    double result = 1.0;
    for (int i = 0; i < exponent; ++i) {
        result *= 10.0;
    }
    return result;
}

// Truncation toward zero of a value known to lie well inside the 64-bit range.
std::int64_t truncate_to_int64(double value) {
    return static_cast<std::int64_t>(std::trunc(value));
}

// The mask's rounding: a value below one unit of the last place becomes zero, otherwise the
// last place is rounded with an exact half going toward zero.
double round_to_mask(double x, int fraction_places) {
    if (x == 0.0) {
        return x;
    }
    const double magnitude_digits = std::floor(std::log10(std::fabs(x))) + 1.0;
    if (magnitude_digits < 0.0 && -magnitude_digits >= fraction_places) {
        return +0.0;
    }
    const double integer_part = std::trunc(x);
    const double fraction = x - integer_part;
    if (fraction_places == 0) {
        const std::int64_t q = truncate_to_int64(fraction * 1e15);
        if (q > 500'000'000'000'000) {
            return std::ceil(x);
        }
        if (q < -500'000'000'000'000) {
            return std::floor(x);
        }
        return x;  // the fraction is dropped when the digits are written
    }
    if (fraction == 0.0) {
        return x;
    }
    const double scale = power_of_ten(fraction_places);
    const double scaled = fraction * scale;
    double digits = std::trunc(scaled);
    const double remainder = scaled - digits;
    const std::int64_t q = truncate_to_int64(remainder * (1e15 / scale));
    const std::int64_t half = truncate_to_int64(5e14 / scale);
    if (q > half) {
        digits += 1.0;
    } else if (q < -half) {
        digits -= 1.0;
    }
    return integer_part + digits / scale;
}

std::string fixed_text(double non_negative, int fraction_places) {
    std::array<char, 400> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), non_negative,
                                      std::chars_format::fixed, fraction_places);
    return std::string(buffer.data(), result.ptr);
}

}  // namespace

std::string format_number(double value, std::string_view mask) {
    const MaskPlaces places = parse_mask(mask);
    if (std::isnan(value)) {
        return "nan";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-inf" : "inf";
    }
    const double rounded = round_to_mask(value, places.fraction_places);
    std::string text = rounded < 0.0 ? "-" : "";
    const double magnitude = std::fabs(rounded);

    std::string digits = places.fraction_places == 0
                             ? fixed_text(std::trunc(magnitude), 0)
                             : fixed_text(magnitude, places.fraction_places);
    const auto point = digits.find('.');
    const auto integer_digits =
        static_cast<int>(point == std::string::npos ? digits.size() : point);
    if (integer_digits < places.integer_places) {
        text.append(static_cast<std::size_t>(places.integer_places - integer_digits), '0');
    }
    text += digits;
    return text;
}

namespace {

bool is_decimal_digit(char c) {
    return c >= '0' && c <= '9';
}

int digit_value(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'Z') {
        return c - 'A' + 10;
    }
    return 99;
}

double read_radix_number(std::string_view digits, int radix) {
    double value = 0.0;
    for (const char c : digits) {
        const int d = digit_value(c);
        if (d >= radix) {
            break;
        }
        value = value * radix + d;
    }
    return value;
}

// Length of the run of decimal digits at the start of text.
std::size_t digit_run(std::string_view text) {
    std::size_t length = 0;
    while (length < text.size() && is_decimal_digit(text[length])) {
        ++length;
    }
    return length;
}

// Whether a number too large or too small for a double lies beyond the largest one rather
// than below the smallest: its decimal order (first significant digit, counted from the
// point) plus the exponent says which. Neither the mantissa nor the exponent alone does:
// 400 nines with "e-30" overflow, and 400 zeros after the point with "e50" underflow.
bool beyond_largest_double(std::string_view integer_digits, std::string_view fraction_digits,
                           bool exponent_negative, std::string_view exponent_digits) {
    std::int64_t order = 0;
    if (const auto first = integer_digits.find_first_not_of('0'); first != std::string_view::npos) {
        order = static_cast<std::int64_t>(integer_digits.size() - first);
    } else if (const auto first_in_fraction = fraction_digits.find_first_not_of('0');
               first_in_fraction != std::string_view::npos) {
        order = -static_cast<std::int64_t>(first_in_fraction);
    } else {
        return false;  // zero
    }
    constexpr std::int64_t exponent_cap = 1'000'000;  // far beyond any double, far inside int64
    std::int64_t exponent = 0;
    for (const char c : exponent_digits) {
        exponent = std::min(exponent * 10 + (c - '0'), exponent_cap);
    }
    return order + (exponent_negative ? -exponent : exponent) > 0;
}

double read_decimal_number(std::string_view text) {
    std::string number;  // the recognised number, normalised for from_chars
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const std::size_t integer_digits = digit_run(text.substr(pos));
    const std::string_view integer_text = text.substr(pos, integer_digits);
    number.append(text.substr(pos, integer_digits));
    pos += integer_digits;
    std::size_t fraction_digits = 0;
    std::string_view fraction_text;
    if (pos < text.size() && text[pos] == '.') {
        fraction_digits = digit_run(text.substr(pos + 1));
        fraction_text = text.substr(pos + 1, fraction_digits);
        number += '.';
        number.append(text.substr(pos + 1, fraction_digits));
        pos += 1 + fraction_digits;
    }
    if (integer_digits + fraction_digits == 0) {
        return 0.0;
    }
    bool exponent_negative = false;
    std::string_view exponent_text;
    if (pos < text.size() &&
        (text[pos] == 'E' || text[pos] == 'e' || text[pos] == 'D' || text[pos] == 'd')) {
        std::size_t exponent_pos = pos + 1;
        std::string exponent = "e";
        if (exponent_pos < text.size() &&
            (text[exponent_pos] == '+' || text[exponent_pos] == '-')) {
            exponent += text[exponent_pos];
            ++exponent_pos;
        }
        const std::size_t exponent_digits = digit_run(text.substr(exponent_pos));
        if (exponent_digits > 0) {
            number += exponent;
            number.append(text.substr(exponent_pos, exponent_digits));
            exponent_negative = exponent == "e-";
            exponent_text = text.substr(exponent_pos, exponent_digits);
        }
    }

    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value,
                                        std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        const bool overflow =
            beyond_largest_double(integer_text, fraction_text, exponent_negative, exponent_text);
        value = overflow ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (result.ec != std::errc{}) {
        value = 0.0;
    }
    return negative ? -value : value;
}

}  // namespace

double read_number(std::string_view text) {
    const auto start = text.find_first_not_of(' ');
    if (start == std::string_view::npos) {
        return 0.0;
    }
    text.remove_prefix(start);

    if (text.size() >= 2 && text[0] == '&') {
        switch (text[1]) {
            case 'H':
            case 'h':
                return read_radix_number(text.substr(2), 16);
            case 'O':
            case 'o':
                return read_radix_number(text.substr(2), 8);
            case 'B':
            case 'b':
                return read_radix_number(text.substr(2), 2);
            default:
                return read_radix_number(text.substr(1), 8);
        }
    }
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        return 0.0;
    }
    return read_decimal_number(text);
}

}  // namespace stillmon
