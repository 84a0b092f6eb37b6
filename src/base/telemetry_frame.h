#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace stillmon {

inline constexpr int frame_element_count = 19;
inline constexpr std::size_t frame_size_bytes = 38;

// Elements of the device's telemetry frame; 0 to 15 are also display channels 0 to 15.
namespace element {
inline constexpr int tank = 0;
inline constexpr int first_stage = 1;
inline constexpr int second_stage = 2;
inline constexpr int steam = 3;
inline constexpr int top_heat_exchanger = 4;
inline constexpr int centre = 5;
inline constexpr int bottom_heat_exchanger = 6;
inline constexpr int out_water = 7;
inline constexpr int flow = 12;
inline constexpr int volume = 13;
inline constexpr int target = 14;
inline constexpr int valve = 15;
inline constexpr int time_seconds = 16;   // high byte seconds, low byte a further count
inline constexpr int time_hours = 17;     // high byte hours, low byte minutes
inline constexpr int record_number = 18;  // unsigned 0..65535
}  // namespace element

// The 38-byte frame: 19 signed 16-bit little-endian integers, no header, no checksum.
// One instance lives for the whole run and is rewritten in place each cycle.
struct TelemetryFrame {
    std::array<std::int16_t, frame_element_count> elements{};

    std::int16_t& operator[](int index) { return elements[static_cast<std::size_t>(index)]; }
    std::int16_t operator[](int index) const { return elements[static_cast<std::size_t>(index)]; }

    std::uint16_t record_number() const {
        return static_cast<std::uint16_t>(elements[element::record_number]);
    }
};

// The frame as the device sends it and the binary log stores it, element 0 first.
std::array<std::uint8_t, frame_size_bytes> frame_bytes(const TelemetryFrame& frame);

// Stores received bytes from offset 0 on; bytes beyond what was received keep their
// previous values (a short read leaves the rest of the frame as it was).
void store_frame_bytes(TelemetryFrame& frame, std::span<const std::uint8_t> bytes);

// Element 15 carries the valve opening in its high byte: floor(value / 256), made unsigned.
std::int16_t decode_valve_element(std::int16_t received);

}  // namespace stillmon
