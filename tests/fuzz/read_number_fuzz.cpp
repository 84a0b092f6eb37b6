// The number texts both ways. Any bytes read as a number without failing and never as NaN;
// any double formats under each of the five masks into a text of the mask's shape (or the
// fixed "nan", "inf", "-inf" texts), which reads back to within the rounding of its last
// place and formats again to the same text. A raw channel value logged with "0.0" and
// refilled on replay comes back within one raw unit. Arbitrary masks must not crash.

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "base/numbers.h"
#include "fuzz/fuzz_check.h"

namespace stillmon::fuzz {
namespace {

struct Mask {
    std::string_view text;
    int integer_places;
    int fraction_places;
};

constexpr std::array<Mask, 5> masks{{
    {"0", 1, 0},
    {"00", 2, 0},
    {"0.0", 1, 1},
    {"0.00", 1, 2},
    {"0.000", 1, 3},
}};

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// Optional "-", at least the mask's integer places of digits, then "." and exactly its
// fraction places. A sign needs a digit other than 0 behind it when there are fraction
// places: only a value that rounds to zero could print "-0.0", and those lose their sign.
void check_shape(const std::string& text, const Mask& mask) {
    require(text.find_first_not_of("-0123456789.") == std::string::npos, "only [-0-9.]");
    std::size_t at = text.starts_with('-') ? 1 : 0;
    const std::size_t integer_start = at;
    while (at < text.size() && is_digit(text[at])) {
        ++at;
    }
    require(at - integer_start >= static_cast<std::size_t>(mask.integer_places),
            "at least the mask's integer places");
    if (mask.fraction_places == 0) {
        require(at == text.size(), "no fraction without fraction places");
        return;
    }
    require(at < text.size() && text[at] == '.', "a decimal point");
    require(text.size() - at - 1 == static_cast<std::size_t>(mask.fraction_places),
            "exactly the mask's fraction places");
    require(text.find_first_not_of("0123456789", at + 1) == std::string::npos, "fraction digits");
    if (text.starts_with('-')) {
        require(text.find_first_of("123456789") != std::string::npos, "no negative zero");
    }
}

void check_format(double value) {
    for (const Mask& mask : masks) {
        const std::string text = format_number(value, mask.text);
        if (std::isnan(value)) {
            require(text == "nan", "NaN text");
            continue;
        }
        if (std::isinf(value)) {
            require(text == (value < 0 ? "-inf" : "inf"), "infinity text");
            continue;
        }
        check_shape(text, mask);

        const double back = read_number(text);
        const double last_place = std::pow(10.0, -mask.fraction_places);
        const double slack = std::fabs(value) * 4 * std::numeric_limits<double>::epsilon();
        require(std::fabs(back - value) <= 1.5 * last_place + slack,
                "reads back within the rounding of the last place");

        // Reading a logged text and writing it again gives the same text (a whole-number mask
        // given a fraction can print "-0", which has no sign once read back).
        if (mask.fraction_places > 0 || value == std::trunc(value)) {
            require(format_number(back, mask.text) == text, "the text formats to itself");
        }
    }
}

// The same reading done another way, for the comparison: the number is recognised here by
// its own rules and converted by strtod, which gives the nearest double, an infinity on
// overflow and zero (or a subnormal) on underflow. Radix forms are compared with strtoull
// while their value is exact in a double.
std::optional<double> reference_read(std::string_view text) {
    const auto start = text.find_first_not_of(' ');
    if (start == std::string_view::npos) {
        return 0.0;
    }
    text.remove_prefix(start);
    const auto digits_while = [&text](std::size_t from, auto is_member) {
        std::size_t end = from;
        while (end < text.size() && is_member(text[end])) {
            ++end;
        }
        return end;
    };
    if (text.size() >= 2 && text[0] == '&') {
        int radix = 8;
        std::size_t from = 2;
        switch (text[1]) {
            case 'H':
            case 'h':
                radix = 16;
                break;
            case 'O':
            case 'o':
                radix = 8;
                break;
            case 'B':
            case 'b':
                radix = 2;
                break;
            default:
                from = 1;
                break;
        }
        const std::size_t end = digits_while(from, [radix](char c) {
            const bool decimal = c >= '0' && c <= '9';
            const int value = decimal                  ? c - '0'
                              : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                              : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                       : 99;
            return value < radix;
        });
        const std::size_t exact_digits = radix == 16 ? 13 : radix == 8 ? 17 : 53;
        if (end - from > exact_digits) {
            return std::nullopt;
        }
        const std::string digits(text.substr(from, end - from));
        return digits.empty() ? 0.0
                              : static_cast<double>(std::strtoull(digits.c_str(), nullptr, radix));
    }
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        return 0.0;
    }
    std::string number;
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        number += text[at++];
    }
    std::size_t end = digits_while(at, is_digit);
    std::size_t digit_count = end - at;
    number.append(text.substr(at, end - at));
    at = end;
    if (at < text.size() && text[at] == '.') {
        end = digits_while(at + 1, is_digit);
        digit_count += end - at - 1;
        number.append(text.substr(at, end - at));
        at = end;
    }
    if (digit_count == 0) {
        return 0.0;
    }
    if (at < text.size() && std::string_view("EeDd").find(text[at]) != std::string_view::npos) {
        std::size_t exponent_at = at + 1;
        if (exponent_at < text.size() && (text[exponent_at] == '+' || text[exponent_at] == '-')) {
            ++exponent_at;
        }
        end = digits_while(exponent_at, is_digit);
        if (end > exponent_at) {
            number += 'e';
            number.append(text.substr(at + 1, end - at - 1));
        }
    }
    return std::strtod(number.c_str(), nullptr);
}

// What replay does with a logged channel value: display value x 16, rounded.
void check_channel_round_trip(std::int16_t raw) {
    constexpr double divisor = 16.0;
    const std::string logged = format_number(raw / divisor, "0.0");
    const double refilled = std::nearbyint(read_number(logged) * divisor);
    require(std::fabs(refilled - raw) <= 1.0, "a replayed channel value within one raw unit");
}

}  // namespace
}  // namespace stillmon::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace stillmon;
    using namespace stillmon::fuzz;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const double read = read_number(text);
    require(!std::isnan(read), "text never reads as NaN");
    if (const std::optional<double> expected = reference_read(text)) {
        require(read == *expected, "the nearest double to the leading number");
    }
    std::string padded(2, ' ');
    padded.append(text);
    require(read_number(padded) == read, "leading blanks do not change the number");
    check_format(read);

    if (size >= sizeof(double)) {
        double value = 0.0;
        std::memcpy(&value, data, sizeof value);
        check_format(value);

        // Masks outside the five the system uses: any text, only no crash.
        const std::string_view odd_mask = text.substr(sizeof value, 24);
        const std::string odd_text = format_number(value, odd_mask);
        static_cast<void>(read_number(odd_text));
    }
    if (size >= sizeof(std::int16_t)) {
        std::int16_t raw = 0;
        std::memcpy(&raw, data, sizeof raw);
        check_channel_round_trip(raw);
    }
    return 0;
}
