#include "logging/replay_record.h"

#include <cmath>
#include <limits>
#include <string_view>

#include "base/channel_table.h"
#include "base/numbers.h"

namespace stillmon {

namespace {

constexpr int replayed_channels = 8;
constexpr std::size_t name_width = 5;
constexpr std::size_t value_start = 6;

std::string_view trim_blanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

}  // namespace

std::optional<std::int32_t> logged_record_count(const std::string& count_field) {
    constexpr std::string_view marker = "Num=";
    const auto at = count_field.find(marker);
    if (at == std::string::npos) {
        return std::nullopt;
    }
    const double count =
        std::nearbyint(read_number(std::string_view(count_field).substr(at + marker.size())));
    if (std::isnan(count)) {
        return 0;
    }
    constexpr double lowest = std::numeric_limits<std::int32_t>::min();
    constexpr double highest = std::numeric_limits<std::int32_t>::max();
    if (count <= lowest) {
        return std::numeric_limits<std::int32_t>::min();
    }
    if (count >= highest) {
        return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(count);
}

void refill_frame_from_record(TelemetryFrame& frame, const TextLogRecord& record) {
    for (int c = 0; c < replayed_channels; ++c) {
        const Channel& channel = channel_table[static_cast<std::size_t>(c)];
        const std::string_view field = record[static_cast<std::size_t>(c + 1)];
        if (trim_blanks(field.substr(0, name_width)) != trim_blanks(channel.name)) {
            continue;
        }
        const std::string_view value_text =
            field.size() > value_start ? field.substr(value_start) : std::string_view{};
        const double raw =
            std::nearbyint(read_number(value_text) * channel.divisor + channel.replay_offset);
        const bool fits = raw >= std::numeric_limits<std::int16_t>::min() &&
                          raw <= std::numeric_limits<std::int16_t>::max();
        frame[c] = fits ? static_cast<std::int16_t>(raw) : std::numeric_limits<std::int16_t>::min();
    }
}

}  // namespace stillmon
