#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/telemetry_frame.h"

namespace stillmon {

// The three channel text lines of a cycle: channels 0-7 (beginning with ", "), 8-11 and
// 12-15. Each channel item is name + "=" + value + ", ".
struct ChannelLines {
    std::string first;
    std::string second;
    std::string third;
};

ChannelLines compose_channel_lines(const TelemetryFrame& frame);

// "HH:MM:SS_n" from the device time stamp in elements 16 and 17.
std::string compose_device_time_text(const TelemetryFrame& frame);

// "HH:MM:SS_n, interval, Num=record" from the device time stamp, the frame interval (seconds)
// and the record number.
std::string compose_time_and_count_text(const TelemetryFrame& frame, double frame_interval_s);

// The text-log line without its CR LF; it is also the record line shown in live mode.
std::string compose_text_log_line(const ChannelLines& lines, float proof_value,
                                  std::string_view time_and_count_text);

// The binary-log record: "==" + record number digits + "$$" + the 38 frame bytes.
std::vector<std::uint8_t> compose_binary_log_record(const TelemetryFrame& frame);

// Record line of a replayed record: fields 10, 11 and 12 and the replay delay.
std::string compose_replay_line(std::string_view time_field, std::string_view interval_field,
                                std::string_view count_field, int replay_delay);

}  // namespace stillmon
