#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "logging/cycle_logs.h"
#include "logging/numbered_frame.h"
#include "support/temp_directory.h"

namespace stillmon {
namespace {

using test_support::numbered_frame;
using test_support::read_file_bytes;
using test_support::TempDirectory;

TEST(CycleLogs, AFullDiskIsReportedOnceAndTheCyclesGoOn) {
    TempDirectory directory;
    const std::string text = directory.file("full.dat");
    std::filesystem::create_symlink("/dev/full", text);
    std::vector<std::string> reports;
    CycleLogs logs(text, directory.file("full.bin"),
                   [&](std::string_view message) { reports.emplace_back(message); });
    for (int record = 1; record <= 5; ++record) {
        const TelemetryFrame frame = numbered_frame(record);
        logs.write_cycle_logs(frame, compose_channel_lines(frame), 0.0f, 0.9);
    }
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("full.dat"), std::string::npos);
    EXPECT_NE(reports[0].find("No space left on device"), std::string::npos);
    EXPECT_EQ(read_file_bytes(directory.file("full.bin")).size(), 5u * 43u);
}

// The file-size limit stands in for a disk that fills up in the middle of a line and is
// freed later.
TEST(CycleLogs, ALineThatDoesNotFitIsCutOffAndTheReturnOfSpaceIsReported) {
    TempDirectory directory;
    const std::string text = directory.file("Run3.dat");
    std::vector<std::string> reports;
    CycleLogs logs(text, directory.file("Run3.bin"),
                   [&](std::string_view message) { reports.emplace_back(message); });
    const auto write = [&](int record) {
        const TelemetryFrame frame = numbered_frame(record);
        return logs.write_cycle_logs(frame, compose_channel_lines(frame), 0.0f, 0.9) + "\r\n";
    };
    const std::string first_line = write(1);

    rlimit original{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &original), 0);
    const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = original;
    limited.rlim_cur = first_line.size() + 20;  // room for all three records, not a line
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    write(2);
    write(3);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &original), 0);
    std::signal(SIGXFSZ, old_handler);
    const std::string fourth_line = write(4);

    EXPECT_EQ(read_file_bytes(text), first_line + fourth_line);
    EXPECT_EQ(read_file_bytes(directory.file("Run3.bin")).size(), 4u * 43u);
    EXPECT_EQ(reports,
              (std::vector<std::string>{"stillmon: cannot write " + text + ": File too large",
                                        "stillmon: writing " + text + " again"}));
}

}  // namespace
}  // namespace stillmon
