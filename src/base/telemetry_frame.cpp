#include "base/telemetry_frame.h"

#include <algorithm>

namespace stillmon {

std::array<std::uint8_t, frame_size_bytes> frame_bytes(const TelemetryFrame& frame) {
    std::array<std::uint8_t, frame_size_bytes> bytes{};
    for (std::size_t i = 0; i < frame.elements.size(); ++i) {
        const auto value = static_cast<std::uint16_t>(frame.elements[i]);
        bytes[2 * i] = static_cast<std::uint8_t>(value & 0xFFu);
        bytes[2 * i + 1] = static_cast<std::uint8_t>(value >> 8);
    }
    return bytes;
}

void store_frame_bytes(TelemetryFrame& frame, std::span<const std::uint8_t> bytes) {
    auto current = frame_bytes(frame);
    std::copy_n(bytes.begin(), std::min(bytes.size(), current.size()), current.begin());
    for (std::size_t i = 0; i < frame.elements.size(); ++i) {
        const auto value = static_cast<std::uint16_t>(current[2 * i] | (current[2 * i + 1] << 8));
        frame.elements[i] = static_cast<std::int16_t>(value);
    }
}

std::int16_t decode_valve_element(std::int16_t received) {
    // An arithmetic shift is the floor of a division by 256.
    int high_byte = received >> 8;
    if (high_byte < 0) {
        high_byte += 256;
    }
    return static_cast<std::int16_t>(high_byte);
}

}  // namespace stillmon
