#include "logging/log_lines.h"

#include <string>

#include <gtest/gtest.h>

namespace stillmon {
namespace {

TelemetryFrame frame_with(std::initializer_list<std::pair<int, int>> values) {
    TelemetryFrame frame;
    for (const auto& [index, value] : values) {
        frame[index] = static_cast<std::int16_t>(value);
    }
    return frame;
}

// A frame whose first line is the example line of the text log.
TelemetryFrame example_frame() {
    return frame_with({{0, 1250},
                       {1, 1400},
                       {2, 1448},
                       {3, 1560},
                       {4, 400},
                       {5, 403},
                       {6, 390},
                       {7, 2},
                       {17, 0x0E1E},
                       {16, 0x2D07},
                       {18, 1234}});
}

TEST(ChannelLines, JoinNamesWithTheirBlanksAndEndEveryItemWithComma) {
    const ChannelLines lines = compose_channel_lines(example_frame());
    EXPECT_EQ(lines.first,
              ", Tank =78.1, 1 st =87.5, 2 st =90.5, Steam=97.5, TopHE=25.0, Centr=25.2, "
              "BotHE=24.4, Out W=0.1, ");
    EXPECT_EQ(lines.second, "PropR=0.0, IntgW=0.0, DiffY=0.0, Blue =0.0, ");
    EXPECT_EQ(lines.third, "FloW=0.00, Wolum=0.00, Targt=0.0, Valve=0, ");
}

TEST(ChannelLines, ShowRawValuesThroughDivisorAndMask) {
    struct Case {
        int element;
        int raw;
        std::string item;
    };
    const Case cases[] = {
        {0, 1256, "Tank =78.5, "},   {0, 4, "Tank =0.2, "},    {0, 1, "Tank =0.0, "},
        {0, -1, "Tank =0.0, "},      {0, -20, "Tank =-1.2, "}, {8, -4, "PropR=0.0, "},
        {8, 32767, "PropR=100.2, "}, {12, 75, "FloW=0.75, "},  {13, -32768, "Wolum=-327.68, "},
        {15, 128, "Valve=128, "},    {11, 327, "Blue =1.0, "}, {14, 1600, "Targt=100.0, "},
    };
    for (const auto& c : cases) {
        const ChannelLines lines = compose_channel_lines(frame_with({{c.element, c.raw}}));
        const std::string all = lines.first + lines.second + lines.third;
        EXPECT_NE(all.find(c.item), std::string::npos) << c.item << " in " << all;
    }
}

TEST(TimeAndCountText, DecodesTheDeviceTimeStampAndRecordNumber) {
    struct Case {
        int hours_minutes;
        int seconds_count;
        int record;
        double interval;
        std::string text;
    };
    const Case cases[] = {
        {0x0E1E, 0x2D07, 1234, 1.002, "14:30:45_7, 1.002, Num=1234"},
        {0x0E1E, 0x2D0C, 7, 0.85, "14:30:45_12, 0.850, Num=7"},
        {0x0000, 0x0000, 0xFFFF, 3.517, "00:00:00_0, 3.517, Num=65535"},
        {0x0905, 0x0300, 0, 0.0005, "09:05:03_0, 0.000, Num=0"},
        // Elements of 32768 and more read as negative: their high byte prints with a sign.
        {0xFF3B, 0x80FF, 1, 12.25, "-01:59:-128_255, 12.250, Num=1"},
    };
    for (const auto& c : cases) {
        const auto frame = frame_with({{17, static_cast<std::int16_t>(c.hours_minutes)},
                                       {16, static_cast<std::int16_t>(c.seconds_count)},
                                       {18, static_cast<std::int16_t>(c.record)}});
        EXPECT_EQ(compose_time_and_count_text(frame, c.interval), c.text);
    }
}

TEST(TextLogLine, CarriesChannelsProofAndTimeInThirteenFields) {
    const TelemetryFrame frame = example_frame();
    const std::string line = compose_text_log_line(compose_channel_lines(frame), 0.0f,
                                                   compose_time_and_count_text(frame, 1.002));
    EXPECT_EQ(line,
              ", Tank =78.1, 1 st =87.5, 2 st =90.5, Steam=97.5, TopHE=25.0, Centr=25.2, "
              "BotHE=24.4, Out W=0.1, Proof= 0.0, 14:30:45_7, 1.002, Num=1234");
    int commas = 0;
    for (const char c : line) {
        commas += c == ',' ? 1 : 0;
    }
    EXPECT_EQ(commas, 12);
}

TEST(TextLogLine, ProofValueKeepsOneDecimalRoundingHalvesDown) {
    const ChannelLines lines = compose_channel_lines(TelemetryFrame{});
    EXPECT_NE(compose_text_log_line(lines, 40.25f, "").find("Proof= 40.2, "), std::string::npos);
    EXPECT_NE(compose_text_log_line(lines, 45.5f, "").find("Proof= 45.5, "), std::string::npos);
}

TEST(BinaryLogRecord, IsMarkerThenTheThirtyEightFrameBytes) {
    const TelemetryFrame seven = frame_with({{0, 0x0640}, {15, 200}, {18, 7}});
    const auto record = compose_binary_log_record(seven);
    ASSERT_EQ(record.size(), 43u);
    EXPECT_EQ(std::string(record.begin(), record.begin() + 5), "==7$$");
    EXPECT_EQ(record[5], 0x40);
    EXPECT_EQ(record[6], 0x06);
    EXPECT_EQ(record[5 + 30], 200);
    EXPECT_EQ(record[5 + 31], 0);
    EXPECT_EQ(record[5 + 36], 7);

    const auto largest = compose_binary_log_record(frame_with({{18, -1}}));
    ASSERT_EQ(largest.size(), 47u);
    EXPECT_EQ(std::string(largest.begin(), largest.begin() + 9), "==65535$$");
    EXPECT_EQ(largest[9 + 36], 0xFF);
    EXPECT_EQ(largest[9 + 37], 0xFF);
}

TEST(ReplayLine, ShowsLoggedFieldsAndTheDelay) {
    EXPECT_EQ(compose_replay_line("14:30:45_7", "1.002", "Num=1234", 0),
              "14:30:45_7 1.002 Num=1234 D=00  ");
    EXPECT_EQ(compose_replay_line("", "", "", 20), "   D=20  ");
}

}  // namespace
}  // namespace stillmon
