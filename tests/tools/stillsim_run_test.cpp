// Runs the real build/stillsim and reads its terminal as stillmon would: through the link,
// with plain POSIX calls.
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/channel_table.h"
#include "base/telemetry_frame.h"
#include "stillsim_process.h"
#include "support/pseudo_terminal.h"
#include "support/temp_directory.h"

namespace stillmon::test_support {
namespace {

using std::chrono::milliseconds;
using namespace std::string_literals;

double seconds_between(TestClock::time_point from, TestClock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

int valve_of(const TelemetryFrame& frame) {
    return decode_valve_element(frame[element::valve]);
}

// Starts stillsim with a link in a fresh directory and waits for its first line, the path
// of the terminal; by then the link is in place.
struct Started {
    TempDirectory directory;
    std::string link;
    std::optional<SimulatorProcess> simulator;
    std::string terminal_path;

    explicit Started(std::vector<std::string> arguments) : link(directory.file("device")) {
        arguments.insert(arguments.end(), {"--link", link});
        simulator.emplace(arguments);
        terminal_path = simulator->next_line(milliseconds(3000)).value_or("");
    }
};

TEST(Stillsim, SendsOneWholeFrameEveryPeriod) {
    Started run({"--period", "0.1", "--jitter", "0.02", "--start-time", "14:30:00"});
    ASSERT_EQ(run.terminal_path.rfind("/dev/pts/", 0), 0u) << run.terminal_path;
    EXPECT_EQ(std::filesystem::read_symlink(run.link), run.terminal_path);
    TerminalReader reader(run.link);
    ASSERT_TRUE(reader.is_open());

    std::vector<TestClock::time_point> arrivals;
    std::vector<TelemetryFrame> frames;
    for (int i = 0; i < 21; ++i) {
        TestClock::time_point arrived{};
        const auto frame = reader.read_frame(milliseconds(1000), &arrived);
        ASSERT_TRUE(frame) << "frame " << i;
        frames.push_back(*frame);
        arrivals.push_back(arrived);
    }
    std::vector<double> gaps;
    for (std::size_t i = 1; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i].record_number(), frames[i - 1].record_number() + 1) << i;
        gaps.push_back(seconds_between(arrivals[i - 1], arrivals[i]));
    }
    const double mean =
        std::accumulate(gaps.begin(), gaps.end(), 0.0) / static_cast<double>(gaps.size());
    EXPECT_NEAR(mean, 0.1, 0.01);
    for (const double gap : gaps) {
        // The band of the jitter, widened for a busy machine.
        EXPECT_GT(gap, 0.05);
        EXPECT_LT(gap, 0.2);
    }
    // The device clock starts where it was told to.
    EXPECT_EQ(static_cast<std::uint16_t>(frames.front()[element::time_hours]), 0x0E1E);
    std::cout << "[ measured ] mean gap " << mean << " s, shortest "
              << *std::min_element(gaps.begin(), gaps.end()) << " s, longest "
              << *std::max_element(gaps.begin(), gaps.end()) << " s\n";
}

TEST(Stillsim, FramesOfAFastRunStayInsideTheChartRanges) {
    // 0.05 s frames of a run going 4000 times faster: each frame is 200 s of run time, so
    // 60 frames cover heat-up, the whole take-off and the end of the run.
    Started run({"--period", "0.05", "--jitter", "0", "--speed", "4000"});
    TerminalReader reader(run.link);
    ASSERT_TRUE(reader.is_open());
    double hottest_steam_c = 0.0;
    for (int i = 0; i < 60; ++i) {
        const auto frame = reader.read_frame(milliseconds(1000));
        ASSERT_TRUE(frame) << "frame " << i;
        for (int channel = 0; channel < 15; ++channel) {
            const Channel& c = channel_table[static_cast<std::size_t>(channel)];
            EXPECT_GE((*frame)[channel], c.range_low * c.divisor) << c.name << " frame " << i;
            EXPECT_LE((*frame)[channel], c.range_high * c.divisor) << c.name << " frame " << i;
        }
        EXPECT_LE(valve_of(*frame), 255);
        hottest_steam_c = std::max(hottest_steam_c, (*frame)[element::steam] / 16.0);
    }
    EXPECT_GT(hottest_steam_c, 90.0);  // the run reached its tails
}

TEST(Stillsim, FramesWrittenBeforeTheReaderOpensAreDropped) {
    Started run({"--period", "0.05", "--jitter", "0", "--verbose"});
    ASSERT_TRUE(run.simulator->wait_for_line("frame 3 (record 3) discarded: no reader",
                                             milliseconds(3000)));
    TerminalReader reader(run.link);
    ASSERT_TRUE(reader.is_open());
    const auto first = reader.read_frame(milliseconds(1000));
    const auto second = reader.read_frame(milliseconds(1000));
    ASSERT_TRUE(first && second);
    EXPECT_GT(first->record_number(), 3);
    EXPECT_EQ(second->record_number(), first->record_number() + 1);
}

TEST(Stillsim, AReaderThatOpensAgainStartsOnAFrameBoundary) {
    Started run({"--period", "0.05", "--jitter", "0"});
    std::uint16_t last_record = 0;
    {
        TerminalReader reader(run.link);
        ASSERT_TRUE(reader.is_open());
        const auto frame = reader.read_frame(milliseconds(1000));
        ASSERT_TRUE(frame);
        last_record = frame->record_number();
        // Take only part of the next frame, and leave.
        ASSERT_EQ(reader.read_bytes(10, milliseconds(1000)).ending,
                  TerminalReader::Ending::complete);
    }
    ASSERT_TRUE(run.simulator->wait_for_line("reader left", milliseconds(2000)));
    TerminalReader again(run.link);
    ASSERT_TRUE(again.is_open());
    const auto first = again.read_frame(milliseconds(1000));
    const auto second = again.read_frame(milliseconds(1000));
    ASSERT_TRUE(first && second);
    EXPECT_GT(first->record_number(), last_record + 1);
    EXPECT_EQ(second->record_number(), first->record_number() + 1);
}

TEST(Stillsim, TerminalIsRawBeforeTheReaderSetsAnyMode) {
    Started run({"--period", "0.05", "--jitter", "0"});
    TerminalReader reader(run.link, /*set_raw_mode=*/false);
    ASSERT_TRUE(reader.is_open());
    termios modes{};
    ASSERT_EQ(tcgetattr(reader.fd(), &modes), 0);
    EXPECT_EQ(modes.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(modes.c_iflag & (ICRNL | INLCR | IGNCR | IXON | ISTRIP), 0u);
    EXPECT_EQ(modes.c_oflag & OPOST, 0u);

    // Carriage return and line feed reach the device unchanged, each on its own.
    const std::uint8_t sent[] = {13, 10, 100};
    for (const std::uint8_t byte : sent) {
        ASSERT_TRUE(reader.write_byte(byte));
    }
    ASSERT_TRUE(run.simulator->wait_for_line("command 100", milliseconds(2000)));
    std::vector<std::string> commands;
    for (const auto& line : run.simulator->lines()) {
        if (const auto at = line.find(" command "); at != std::string::npos) {
            commands.push_back(line.substr(at + 1, line.find(':', at) - at - 1));
        }
    }
    EXPECT_EQ(commands, (std::vector<std::string>{"command 13", "command 10", "command 100"}));

    // Records 10 and 13 carry the bytes 0x0A and 0x0D; they arrive unchanged as well.
    std::optional<std::uint16_t> previous;
    while (!previous || *previous < 15) {
        const auto frame = reader.read_frame(milliseconds(1000));
        ASSERT_TRUE(frame);
        if (previous) {
            ASSERT_EQ(frame->record_number(), *previous + 1);
        }
        previous = frame->record_number();
    }
}

TEST(Stillsim, ReportsEachCommandByteAndShowsItsEffect) {
    struct Case {
        std::uint8_t byte;
        std::string report;
        std::function<bool(const TelemetryFrame& before, const TelemetryFrame& after)> shows;
    };
    const Case cases[] = {
        {101, "command 101: valve 96 -> 112",
         [](const auto& b, const auto& a) { return valve_of(a) == valve_of(b) + 16; }},
        {100, "command 100: valve 112 -> 96",
         [](const auto& b, const auto& a) { return valve_of(a) == valve_of(b) - 16; }},
        {103, "command 103: target 50.0 -> 50.5",
         [](const auto& b, const auto& a) { return a[element::target] == b[element::target] + 8; }},
        {102, "command 102: target 50.5 -> 50.0",
         [](const auto& b, const auto& a) { return a[element::target] == b[element::target] - 8; }},
        {104, "command 104: volume ",
         [](const auto& b, const auto& a) {
             return b[element::volume] > 0 && a[element::volume] == 0;
         }},
        {105, "command 105: heating off",
         [](const auto&, const auto& a) { return a[element::flow] == 0; }},
        {106, "command 106: heating on",
         [](const auto& b, const auto& a) { return a[element::tank] > b[element::tank]; }},
    };
    // An hour into the run with run time going 100 times faster: product is running.
    Started run({"--period", "0.1", "--jitter", "0", "--skip", "3600", "--speed", "100"});
    TerminalReader reader(run.link);
    ASSERT_TRUE(reader.is_open());
    for (const auto& c : cases) {
        const auto before = reader.read_frame(milliseconds(1000));
        ASSERT_TRUE(before);
        ASSERT_TRUE(reader.write_byte(c.byte));
        EXPECT_TRUE(run.simulator->wait_for_line(c.report, milliseconds(2000))) << c.report;
        // The effect shows within a few frames (flow and heat take some run time).
        bool shown = false;
        for (int i = 0; i < 20 && !shown; ++i) {
            const auto after = reader.read_frame(milliseconds(1000));
            ASSERT_TRUE(after);
            shown = c.shows(*before, *after);
        }
        EXPECT_TRUE(shown) << c.report;
    }
}

TEST(Stillsim, StallIsSilentForItsTimeThenFramesGoOn) {
    Started run({"--period", "0.1", "--jitter", "0", "--stall-after", "8", "--stall-for", "1.0"});
    TerminalReader reader(run.link);
    ASSERT_TRUE(reader.is_open());
    std::optional<double> stall_gap;
    TestClock::time_point previous_arrival{};
    std::uint16_t previous_record = 0;
    while (previous_record < 12) {
        TestClock::time_point arrived{};
        const auto frame = reader.read_frame(milliseconds(2000), &arrived);
        ASSERT_TRUE(frame);
        if (previous_record != 0) {
            ASSERT_EQ(frame->record_number(), previous_record + 1);
            const double gap = seconds_between(previous_arrival, arrived);
            if (frame->record_number() == 9) {
                stall_gap = gap;
            } else {
                EXPECT_LT(gap, 0.4) << "before record " << frame->record_number();
            }
        }
        previous_record = frame->record_number();
        previous_arrival = arrived;
    }
    ASSERT_TRUE(stall_gap) << "the reader came too late to see the stall";
    EXPECT_GT(*stall_gap, 0.95);
    EXPECT_LT(*stall_gap, 1.4);
    EXPECT_TRUE(run.simulator->wait_for_line("stall: silent for 1.000 s", milliseconds(1000)));
}

TEST(Stillsim, DroppedByteShiftsTheStreamByOne) {
    Started run({"--period", "0.1", "--jitter", "0", "--drop-byte-after", "8"});
    TerminalReader reader(run.link);
    ASSERT_TRUE(reader.is_open());
    std::uint16_t record = 0;
    while (record < 8) {
        const auto frame = reader.read_frame(milliseconds(1000));
        ASSERT_TRUE(frame);
        ASSERT_TRUE(record == 0 || frame->record_number() == record + 1);
        record = frame->record_number();
    }
    ASSERT_EQ(record, 8) << "the reader came too late to see the dropped byte";
    // From now on every 38-byte read holds the last 37 bytes of one frame and the first
    // byte of the next: the record number sits one byte early.
    for (std::uint16_t expected = 9; expected < 13; ++expected) {
        const auto reading = reader.read_bytes(frame_size_bytes, milliseconds(1000));
        ASSERT_EQ(reading.ending, TerminalReader::Ending::complete);
        EXPECT_EQ(reading.bytes[35] | reading.bytes[36] << 8, expected);
    }
}

TEST(Stillsim, HangUpEndsTheOldTerminalAndANewOneComesBehindTheLink) {
    Started run({"--period", "0.1", "--jitter", "0", "--hangup-after", "6", "--hangup-for", "0.5"});
    TerminalReader old_terminal(run.link);
    ASSERT_TRUE(old_terminal.is_open());
    std::uint16_t record = 0;
    TerminalReader::Reading ending;
    for (;;) {
        ending = old_terminal.read_bytes(frame_size_bytes, milliseconds(2000));
        if (ending.ending != TerminalReader::Ending::complete) {
            break;
        }
        TelemetryFrame frame;
        store_frame_bytes(frame, ending.bytes);
        record = frame.record_number();
    }
    const auto hung_up_at = TestClock::now();
    EXPECT_EQ(record, 6);
    EXPECT_TRUE(ending.ending == TerminalReader::Ending::end_of_file ||
                (ending.ending == TerminalReader::Ending::error && ending.error_number == EIO))
        << "ending " << static_cast<int>(ending.ending) << " errno " << ending.error_number;
    EXPECT_TRUE(ending.bytes.empty());

    const auto announced = run.simulator->wait_for_line("new terminal ", milliseconds(3000));
    ASSERT_TRUE(announced);
    EXPECT_GT(seconds_between(hung_up_at, TestClock::now()), 0.4);
    const std::string new_path = announced->substr(announced->find("/dev/pts/"));
    EXPECT_EQ(std::filesystem::read_symlink(run.link), new_path);

    TerminalReader new_terminal(run.link);
    ASSERT_TRUE(new_terminal.is_open());
    const auto first = new_terminal.read_frame(milliseconds(1000));
    const auto second = new_terminal.read_frame(milliseconds(1000));
    ASSERT_TRUE(first && second);
    EXPECT_GE(first->record_number(), 7);
    EXPECT_EQ(second->record_number(), first->record_number() + 1);
}

TEST(Stillsim, VerboseLinesHoldEveryByteSentAndRandomFaultsAreAnnounced) {
    // Seed 2 drops a byte about 1.2 s in, then slows the frames down.
    Started run({"--period", "0.05", "--jitter", "0", "--random-faults", "--fault-every", "1",
                 "--seed", "2", "--verbose"});
    TerminalReader reader(run.link);
    ASSERT_TRUE(reader.is_open());
    const auto read = reader.read_bytes(1'000'000, milliseconds(3000)).bytes;
    run.simulator->send_signal(SIGTERM);
    ASSERT_EQ(run.simulator->wait_for_exit(milliseconds(3000)), 0);
    while (run.simulator->next_line(milliseconds(500))) {
    }
    std::string sent_hex;
    std::string faults;
    for (const auto& line : run.simulator->lines()) {
        const auto at = line.find(" sent ");
        sent_hex += at == std::string::npos ? "" : line.substr(at + 13);  // after "whole: "
        faults += line.find("dropped") != std::string::npos ? "d" : "";
        faults += line.find("period error: the next ") != std::string::npos ? "p" : "";
    }
    EXPECT_EQ(faults, "dp");
    // All that was read, in order; the reader may have left before the last frame.
    std::vector<std::uint8_t> sent;
    for (std::size_t i = 0; i + 1 < sent_hex.size(); i += 2) {
        sent.push_back(static_cast<std::uint8_t>(std::stoi(sent_hex.substr(i, 2), nullptr, 16)));
    }
    ASSERT_GE(sent.size(), read.size());
    EXPECT_TRUE(std::equal(read.begin(), read.end(), sent.begin()));
    EXPECT_LE(sent.size(), read.size() + 2 * frame_size_bytes);
}

TEST(Stillsim, StopSignalEndsTheRunAndRemovesTheLink) {
    for (const int signal_number : {SIGTERM, SIGINT}) {
        Started run({"--period", "0.1"});
        ASSERT_TRUE(std::filesystem::is_symlink(run.link));
        run.simulator->send_signal(signal_number);
        EXPECT_EQ(run.simulator->wait_for_exit(milliseconds(3000)), 0) << signal_number;
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(run.link)))
            << signal_number;
    }
}

TEST(Stillsim, CountEndsTheRunAfterThatManyFrames) {
    Started run({"--period", "0.05", "--jitter", "0", "--count", "5", "--verbose"});
    EXPECT_EQ(run.simulator->wait_for_exit(milliseconds(3000)), 0);
    while (run.simulator->next_line(milliseconds(500))) {
    }
    const auto& lines = run.simulator->lines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const auto& line) {
        return line.find("frame 5 (record 5)") != std::string::npos;
    }));
    EXPECT_FALSE(std::any_of(lines.begin(), lines.end(), [](const auto& line) {
        return line.find("frame 6 ") != std::string::npos;
    }));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(run.link)));
}

TEST(Stillsim, LeavesAFileThatIsNotALinkAlone) {
    TempDirectory directory;
    const std::string path = directory.file("device");
    std::ofstream(path) << "keep me";
    SimulatorProcess simulator({"--link", path});
    EXPECT_EQ(simulator.wait_for_exit(milliseconds(3000)), 1);
    std::ifstream file(path);
    std::string content;
    std::getline(file, content);
    EXPECT_EQ(content, "keep me");
}

}  // namespace
}  // namespace stillmon::test_support
