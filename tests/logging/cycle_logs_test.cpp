#include "logging/cycle_logs.h"

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "logging/numbered_frame.h"
#include "support/temp_directory.h"

namespace stillmon {
namespace {

using test_support::numbered_frame;
using test_support::read_file_bytes;
using test_support::TempDirectory;

std::string expected_record(const TelemetryFrame& frame) {
    const auto bytes = compose_binary_log_record(frame);
    return std::string(bytes.begin(), bytes.end());
}

TEST(CycleLogs, AppendRecordsAndCrLfLinesAcrossRuns) {
    TempDirectory directory;
    const std::string text = directory.file("Run3.dat");
    const std::string binary = directory.file("Run3.bin");
    std::string expected_text;
    std::string expected_binary;
    for (int run = 0; run < 2; ++run) {
        CycleLogs logs(text, binary, {});
        for (int record = 1; record <= 3; ++record) {
            const TelemetryFrame frame = numbered_frame(record + 10 * run);
            const ChannelLines lines = compose_channel_lines(frame);
            const std::string line = logs.write_cycle_logs(frame, lines, 45.5f, 0.85);
            EXPECT_EQ(line, compose_text_log_line(lines, 45.5f,
                                                  compose_time_and_count_text(frame, 0.85)));
            expected_text += line + "\r\n";
            expected_binary += expected_record(frame);
            // Each cycle is on disk before the next begins.
            EXPECT_EQ(read_file_bytes(text), expected_text);
            EXPECT_EQ(read_file_bytes(binary), expected_binary);
        }
    }
    EXPECT_NE(expected_text.find("Proof= 45.5, 14:30:45_7, 0.850, Num=13\r\n"), std::string::npos);
}

TEST(CycleLogs, WritesAfterCloseDoNothing) {
    TempDirectory directory;
    CycleLogs logs(directory.file("a.dat"), directory.file("a.bin"), {});
    const TelemetryFrame frame = numbered_frame(7);
    logs.write_cycle_logs(frame, compose_channel_lines(frame), 0.0f, 1.0);
    logs.close();
    const std::string line = logs.write_cycle_logs(frame, compose_channel_lines(frame), 0.0f, 1.0);
    EXPECT_NE(line.find("Num=7"), std::string::npos);
    EXPECT_EQ(read_file_bytes(directory.file("a.bin")).size(), 43u);
    logs.close();
}

TEST(CycleLogs, ALogThatCannotBeOpenedOrIsHeldElsewhereIsReportedAndLeftAlone) {
    TempDirectory directory;
    std::vector<std::string> reports;
    const auto report = [&](std::string_view message) { reports.emplace_back(message); };
    CycleLogs first(directory.path().string(), directory.file("ok.bin"), report);
    CycleLogs second(directory.file("ok.dat"), directory.file("ok.bin"), report);
    EXPECT_EQ(reports,
              (std::vector<std::string>{
                  "stillmon: cannot open " + directory.path().string() +
                      ": Is a directory; nothing will be logged to it",
                  "stillmon: cannot open " + directory.file("ok.bin") +
                      ": another stillmon is logging to it; nothing will be logged to it"}));
    const TelemetryFrame frame = numbered_frame(65535);
    std::string line;
    for (CycleLogs* logs : {&first, &second}) {
        line = logs->write_cycle_logs(frame, compose_channel_lines(frame), 0.0f, 0.9);
        EXPECT_NE(line.find("Num=65535"), std::string::npos);
    }
    // The record from the first, which holds the binary log; the line from the second.
    EXPECT_EQ(read_file_bytes(directory.file("ok.bin")), expected_record(frame));
    EXPECT_EQ(read_file_bytes(directory.file("ok.dat")), line + "\r\n");
    EXPECT_EQ(reports.size(), 2u);
}

}  // namespace
}  // namespace stillmon
