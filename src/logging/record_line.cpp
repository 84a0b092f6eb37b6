#include "logging/record_line.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "base/channel_table.h"
#include "base/numbers.h"

namespace stillmon {

namespace {

constexpr std::string_view blanks = " \t";

std::string_view skip_leading_blanks(std::string_view text) {
    const auto first = text.find_first_not_of(blanks);
    return first == std::string_view::npos ? std::string_view{} : text.substr(first);
}

std::string_view trim_trailing_blanks(std::string_view text) {
    const auto last = text.find_last_not_of(blanks);
    return last == std::string_view::npos ? std::string_view{} : text.substr(0, last + 1);
}

bool all_digits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The numbers a live run logs: an optional minus, digits, and a fraction after a point.
// What read_number would make of anything else (exponents, radix forms, trailing junk)
// is not a value that was logged.
std::optional<double> logged_decimal(std::string_view text) {
    const std::string_view unsigned_text = text.starts_with('-') ? text.substr(1) : text;
    const auto point = unsigned_text.find('.');
    if (!all_digits(unsigned_text.substr(0, point)) ||
        (point != std::string_view::npos && !all_digits(unsigned_text.substr(point + 1)))) {
        return std::nullopt;
    }
    const double value = read_number(text);
    return std::isfinite(value) ? std::optional(value) : std::nullopt;
}

// The value of a channel item, when it is the channel's name, "=" and a value whose raw form
// (rounded to whole units of the channel) fits the 16 bits a live run logged it from.
std::optional<double> channel_value(int c, std::string_view item) {
    const Channel& channel = channel_table[static_cast<std::size_t>(c)];
    if (!item.starts_with(channel.name) || item.substr(channel.name.size(), 1) != "=") {
        return std::nullopt;
    }
    const auto value = logged_decimal(item.substr(channel.name.size() + 1));
    if (!value) {
        return std::nullopt;
    }
    const double raw = std::nearbyint(*value * channel.divisor);
    if (raw < std::numeric_limits<std::int16_t>::min() ||
        raw > std::numeric_limits<std::int16_t>::max()) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> proof_value(std::string_view item) {
    constexpr std::string_view label = "Proof=";
    if (!item.starts_with(label)) {
        return std::nullopt;
    }
    const auto value = logged_decimal(skip_leading_blanks(item.substr(label.size())));
    if (!value || std::abs(*value) > std::numeric_limits<float>::max()) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::uint16_t> logged_count(std::string_view item) {
    constexpr std::string_view label = "Num=";
    if (!item.starts_with(label)) {
        return std::nullopt;
    }
    std::uint16_t count = 0;
    const auto digits = item.substr(label.size());
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), count);
    return error == std::errc{} && end == digits.data() + digits.size() ? std::optional(count)
                                                                        : std::nullopt;
}

}  // namespace

std::optional<RecordLine> read_record_line(std::string_view line, std::string& fault) {
    fault.clear();
    RecordLine record;
    std::size_t count = 0;
    for (std::size_t start = 0;; ++count) {
        const auto comma = line.find(',', start);
        if (count < record.fields.size()) {
            record.fields[count] = skip_leading_blanks(line.substr(start, comma - start));
        }
        if (comma == std::string_view::npos) {
            ++count;
            break;
        }
        start = comma + 1;
    }
    if (count != record.fields.size()) {
        fault = std::to_string(count) + " fields, not 13";
        return std::nullopt;
    }
    const auto item = [&record](int i) {
        return trim_trailing_blanks(record.fields[static_cast<std::size_t>(i)]);
    };
    if (!item(0).empty()) {
        fault = "text before the first comma";
        return std::nullopt;
    }
    for (int c = 0; c < 8; ++c) {
        const auto value = channel_value(c, item(c + 1));
        if (!value) {
            fault = "field " + std::to_string(c + 1) + " is not \"" +
                    std::string(channel_table[static_cast<std::size_t>(c)].name) +
                    "=\" and a value the channel holds";
            return std::nullopt;
        }
        record.temperatures_c[static_cast<std::size_t>(c)] = *value;
    }
    const auto proof = proof_value(item(9));
    if (!proof) {
        fault = "field 9 is not \"Proof=\" and a value";
        return std::nullopt;
    }
    record.proof = *proof;
    if (item(10).empty() || item(10).find_first_not_of("0123456789:_-") != std::string_view::npos) {
        fault = "field 10 is not a device time";
        return std::nullopt;
    }
    record.device_time = item(10);
    const auto interval = logged_decimal(item(11));
    if (!interval) {
        fault = "field 11 is not an interval";
        return std::nullopt;
    }
    record.interval_s = *interval;
    const auto number = logged_count(item(12));
    if (!number) {
        fault = "field 12 is not \"Num=\" and 0 to 65535";
        return std::nullopt;
    }
    record.record_number = *number;
    return record;
}

}  // namespace stillmon
