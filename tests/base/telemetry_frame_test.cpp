#include "base/telemetry_frame.h"

#include <vector>

#include <gtest/gtest.h>

namespace stillmon {
namespace {

TEST(TelemetryFrame, ElementsAreLittleEndianSigned) {
    TelemetryFrame frame;
    std::vector<std::uint8_t> bytes(frame_size_bytes, 0);
    bytes[0] = 0x40;
    bytes[1] = 0x06;
    bytes[30] = 0x12;
    bytes[31] = 0x80;
    bytes[36] = 0xFF;
    bytes[37] = 0xFF;
    store_frame_bytes(frame, bytes);
    EXPECT_EQ(frame[0], 1600);
    EXPECT_EQ(frame[15], -32750);
    EXPECT_EQ(frame[18], -1);
    EXPECT_EQ(frame.record_number(), 65535);
    const auto round_trip = frame_bytes(frame);
    EXPECT_TRUE(std::equal(round_trip.begin(), round_trip.end(), bytes.begin()));
}

TEST(TelemetryFrame, ShortReadKeepsTheRestOfTheFrame) {
    TelemetryFrame frame;
    for (int i = 0; i < frame_element_count; ++i) {
        frame[i] = static_cast<std::int16_t>(1000 + i);
    }
    const std::vector<std::uint8_t> three_bytes{0x01, 0x00, 0x02};
    store_frame_bytes(frame, three_bytes);
    EXPECT_EQ(frame[0], 1);
    EXPECT_EQ(frame[1], static_cast<std::int16_t>((1001 & 0xFF00) | 0x02));
    EXPECT_EQ(frame[2], 1002);
    EXPECT_EQ(frame[18], 1018);

    store_frame_bytes(frame, {});
    EXPECT_EQ(frame[0], 1);
}

TEST(TelemetryFrame, ValveElementDecodesToTheUnsignedHighByte) {
    struct Case {
        int received;
        int decoded;
    };
    const Case cases[] = {{0x8012 - 0x10000, 128},
                          {0x7FFF, 127},
                          {0xC800, 200},
                          {0x00FF, 0},
                          {-1, 255},
                          {0, 0},
                          {-256, 255},
                          {0x0100, 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(decode_valve_element(static_cast<std::int16_t>(c.received)), c.decoded)
            << c.received;
    }
}

}  // namespace
}  // namespace stillmon
