#include "logging/log_lines.h"

#include <cmath>

#include "base/channel_table.h"
#include "base/numbers.h"

namespace stillmon {

namespace {

void append_channel_items(std::string& line, const TelemetryFrame& frame, int first, int last) {
    for (int c = first; c <= last; ++c) {
        const Channel& channel = channel_table[static_cast<std::size_t>(c)];
        const double shown = static_cast<double>(frame[c]) / static_cast<double>(channel.divisor);
        line += channel.name;
        line += '=';
        line += format_number(shown, channel.mask);
        line += ", ";
    }
}

// High byte of a signed element as the floor of a division by 256, and the low byte 0..255.
double high_byte(std::int16_t value) {
    return std::floor(value / 256.0);
}
double low_byte(std::int16_t value) {
    return value - 256.0 * high_byte(value);
}

}  // namespace

ChannelLines compose_channel_lines(const TelemetryFrame& frame) {
    ChannelLines lines;
    lines.first = ", ";
    append_channel_items(lines.first, frame, 0, 7);
    append_channel_items(lines.second, frame, 8, 11);
    append_channel_items(lines.third, frame, 12, 15);
    return lines;
}

std::string compose_device_time_text(const TelemetryFrame& frame) {
    const std::int16_t hours_minutes = frame[element::time_hours];
    const std::int16_t seconds_count = frame[element::time_seconds];
    std::string text;
    text += format_number(high_byte(hours_minutes), "00");
    text += ':';
    text += format_number(low_byte(hours_minutes), "00");
    text += ':';
    text += format_number(high_byte(seconds_count), "00");
    text += '_';
    text += format_number(low_byte(seconds_count), "0");
    return text;
}

std::string compose_time_and_count_text(const TelemetryFrame& frame, double frame_interval_s) {
    std::string text = compose_device_time_text(frame);
    text += ", ";
    text += format_number(frame_interval_s, "0.000");
    text += ", Num=";
    text += format_number(frame.record_number(), "0");
    return text;
}

std::string compose_text_log_line(const ChannelLines& lines, float proof_value,
                                  std::string_view time_and_count_text) {
    std::string line = lines.first;
    line += "Proof= ";
    line += format_number(proof_value, "0.0");
    line += ", ";
    line += time_and_count_text;
    return line;
}

std::vector<std::uint8_t> compose_binary_log_record(const TelemetryFrame& frame) {
    const std::string marker = "==" + format_number(frame.record_number(), "0") + "$$";
    std::vector<std::uint8_t> record(marker.begin(), marker.end());
    const auto bytes = frame_bytes(frame);
    record.insert(record.end(), bytes.begin(), bytes.end());
    return record;
}

std::string compose_replay_line(std::string_view time_field, std::string_view interval_field,
                                std::string_view count_field, int replay_delay) {
    std::string line;
    line += time_field;
    line += ' ';
    line += interval_field;
    line += ' ';
    line += count_field;
    line += " D=";
    line += format_number(replay_delay, "00");
    line += "  ";
    return line;
}

}  // namespace stillmon
