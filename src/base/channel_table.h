#pragma once

#include <array>
#include <string_view>

namespace stillmon {

// One display channel. A raw value is the signed 16-bit number held for the channel;
// raw / divisor is the value shown. Names keep their trailing blanks ("Tank " joins as
// "Tank =").
struct Channel {
    std::string_view name;
    std::string_view mask;  // number mask for format_number
    int colour;             // palette index of trace and label
    int range_low;          // display value at the bottom edge of the strip chart
    int range_high;         // display value at the top edge
    int divisor;
    int replay_offset;  // raw units added when a logged value is turned back into raw
};

inline constexpr int channel_count = 20;

// The single definition of the channel set: add or change a channel here.
inline constexpr std::array<Channel, channel_count> channel_table{{
    {"Tank ", "0.0", 10, 10, 104, 16, 0}, {"1 st ", "0.0", 11, 15, 104, 16, 4},
    {"2 st ", "0.0", 12, 15, 104, 16, 8}, {"Steam", "0.0", 13, 15, 104, 16, 12},
    {"TopHE", "0.0", 14, 10, 90, 16, 8},  {"Centr", "0.0", 15, 10, 85, 16, 8},
    {"BotHE", "0.0", 10, 7, 75, 16, 8},   {"Out W", "0.0", 11, 10, 104, 16, 0},
    {"PropR", "0.0", 4, -2, 104, 327, 0}, {"IntgW", "0.0", 15, -2, 104, 327, 0},
    {"DiffY", "0.0", 6, -2, 104, 327, 0}, {"Blue ", "0.0", 3, -2, 104, 327, 0},
    {"FloW", "0.00", 10, -1, 2, 100, 0},  {"Wolum", "0.00", 11, -1, 4, 100, 0},
    {"Targt", "0.0", 12, 10, 100, 16, 0}, {"Valve", "0", 13, -4, 260, 1, 0},
    {"Res 1", "0.0", 14, 10, 10, 100, 0}, {"Res 2", "0.0", 15, 10, 10, 100, 0},
    {"FlegN", "0.00", 12, 0, 10, 100, 0}, {"DistP", "0.00", 14, -1, 10, 1000, 0},
}};

// Channels with a meaning of their own elsewhere.
inline constexpr int reflux_channel = 18;  // channel-18 value (corrected reflux ratio)
inline constexpr int stage_channel = 19;   // fractional stage count x 1000

}  // namespace stillmon
