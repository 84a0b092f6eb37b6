#include "app/acquisition_cycle.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/cycle_fakes.h"
#include "support/memory_file.h"
#include "support/surface_probe.h"
#include "support/temp_directory.h"

namespace stillmon {
namespace {

using test_support::FakeHost;
using test_support::FakeLink;
using test_support::read_file_bytes;
using test_support::TempDirectory;

TelemetryFrame device_frame(int record, int valve_high_byte = 0) {
    TelemetryFrame frame;
    frame[0] = 1472;  // 92.0 degrees
    frame[3] = 1256;  // 78.5 degrees
    frame[15] = static_cast<std::int16_t>(valve_high_byte << 8 | 0x12);
    frame[18] = static_cast<std::int16_t>(record);
    return frame;
}

struct LiveHarness {
    LiveHarness() : surface(large_screen), cycle(surface, state, host), link(host) {}

    // The timing line is at row 28; the first cycle scrolls the whole window up one row (its
    // first chart labels reach the last row), so that cycle's line ends up on row 27.
    std::string timing_text(int row = 28) { return surface.text_of_row(row).substr(29, 17); }

    TempDirectory directory;
    Surface surface;
    OperatorState state;
    FakeHost host;
    AcquisitionCycle cycle;
    FakeLink link;
    CycleLogs logs{directory.file("Run3.dat"), directory.file("Run3.bin"), {}};
};

TEST(LiveCycle, FirstIntervalIsMeasuredFromStartUp) {
    LiveHarness harness;
    harness.link.queue(3.017, device_frame(1));  // 0.5 s pause + 3.017 s wait for the device
    harness.link.queue(0.35, device_frame(2));   // 0.85 s later
    harness.cycle.run_live_cycle(harness.link, harness.logs);
    EXPECT_EQ(harness.timing_text(27), "Time Error= 1    ");
    EXPECT_EQ(harness.host.waits, std::vector<int>{500});
    harness.cycle.run_live_cycle(harness.link, harness.logs);
    EXPECT_EQ(harness.timing_text(), std::string(17, ' '));
    harness.logs.close();

    const std::string text = read_file_bytes(harness.directory.file("Run3.dat"));
    EXPECT_NE(text.find(", 3.517, Num=1\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find(", 0.850, Num=2\r\n"), std::string::npos) << text;
    EXPECT_EQ(harness.host.cycles_drawn, 2);
    EXPECT_DOUBLE_EQ(harness.state.last_frame_time_s.load(), 4.367);
}

TEST(LiveCycle, SixtyOneTimingErrorsInARowRequestALinkReset) {
    LiveHarness harness;
    for (int record = 1; record <= 62; ++record) {
        harness.link.queue(0.7, device_frame(record));  // 1.2 s apart
    }
    for (int cycle = 1; cycle <= 60; ++cycle) {
        harness.cycle.run_live_cycle(harness.link, harness.logs);
    }
    EXPECT_EQ(harness.cycle.timing_error_count(), 60);
    EXPECT_EQ(harness.timing_text(), "Time Error= 60   ");
    EXPECT_FALSE(harness.state.link_reset_requested.load());

    harness.cycle.run_live_cycle(harness.link, harness.logs);
    EXPECT_EQ(harness.timing_text(), "Time Error= 61   ");
    EXPECT_EQ(harness.host.last_record->timing_errors, 61);
    EXPECT_TRUE(harness.state.link_reset_requested.load());
    EXPECT_EQ(harness.host.supervisor_wakes, 1);
    EXPECT_EQ(harness.cycle.timing_error_count(), 0);
    EXPECT_EQ(harness.host.waits.back(), 2000);

    harness.cycle.run_live_cycle(harness.link, harness.logs);  // 2 + 1.2 s: counted again
    EXPECT_EQ(harness.timing_text(), "Time Error= 1    ");
}

TEST(LiveCycle, DecodesTheValveByteAndLogsTheFrameAsLeftByTheCalculations) {
    LiveHarness harness;
    harness.state.valve_window.store(0);
    harness.link.queue(0.35, device_frame(7, 0x80));
    harness.cycle.run_live_cycle(harness.link, harness.logs);
    EXPECT_EQ(harness.cycle.frame()[element::valve], 128);
    EXPECT_EQ(harness.cycle.record_number(), 7);
    harness.logs.close();
    const std::string binary = read_file_bytes(harness.directory.file("Run3.bin"));
    ASSERT_EQ(binary.size(), 43u);
    EXPECT_EQ(binary.substr(0, 5), "==7$$");
    EXPECT_EQ(static_cast<unsigned char>(binary[5 + 30]), 128);
    EXPECT_EQ(binary[5 + 31], 0);
}

TEST(LiveCycle, ReadsThatEndWithoutAFrameCompleteNoCycle) {
    LiveHarness harness;
    harness.link.queue(0.35, device_frame(9));
    harness.link.queue_no_frame(2.0);  // released by the supervisor's close
    harness.link.queue_no_frame(0.0);  // the port is gone
    harness.link.queue(0.2, device_frame(10));
    harness.cycle.run_live_cycle(harness.link, harness.logs);
    harness.cycle.run_live_cycle(harness.link, harness.logs);
    harness.logs.close();
    EXPECT_EQ(harness.host.cycles_drawn, 2);
    EXPECT_EQ(harness.host.waits, (std::vector<int>{500, 500, 100, 100}));
    const std::string text = read_file_bytes(harness.directory.file("Run3.dat"));
    EXPECT_NE(text.find(", 0.850, Num=9\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find(", 2.900, Num=10\r\n"), std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
}

TEST(LiveCycle, ShorterRecordLinesAndValveSamplesLeaveNoTail) {
    LiveHarness harness;
    // The first cycle scrolls the window up a row; the second and third are compared.
    harness.link.queue(0.35, device_frame(5000, 16));
    harness.link.queue(0.35, device_frame(3178, 16));
    harness.link.queue(0.35, device_frame(317, 0));
    for (int cycle = 0; cycle < 3; ++cycle) {
        harness.cycle.run_live_cycle(harness.link, harness.logs);
    }
    const std::string row_one = harness.surface.text_of_row(1);
    EXPECT_NE(row_one.find("Num=317 "), std::string::npos) << row_one;
    EXPECT_EQ(harness.surface.text_of_row(3).substr(124, 3), " 0 ");
}

TEST(LiveCycle, EntryTextShowsInWhiteFirstThenInTheLastLabelsColour) {
    LiveHarness harness;
    harness.state.append_entry("45.5");
    harness.link.queue(0.35, device_frame(1));
    harness.link.queue(0.35, device_frame(2));
    harness.cycle.run_live_cycle(harness.link, harness.logs);
    // Scrolled up one row with the whole window in the first cycle.
    EXPECT_EQ(harness.surface.text_of_row(29).substr(49, 13), "45.5         ");
    EXPECT_TRUE(test_support::text_shows(harness.surface, 29, 50, "45.5", 15, 0));
    harness.cycle.run_live_cycle(harness.link, harness.logs);
    EXPECT_EQ(harness.surface.text_of_row(30).substr(49, 13), "45.5         ");
    EXPECT_TRUE(test_support::text_shows(harness.surface, 30, 50, "45.5", 14, 0));
}

TEST(LiveCycle, RedrawRequestDropsTheTypedEntry) {
    LiveHarness harness;
    harness.link.queue(0.35, device_frame(1));
    harness.state.append_entry("12");
    harness.state.redraw_requested.store(true);
    harness.cycle.run_live_cycle(harness.link, harness.logs);
    EXPECT_FALSE(harness.state.redraw_requested.load());
    EXPECT_EQ(harness.state.entry_text(), "");
    EXPECT_EQ(harness.surface.text_of_row(30).substr(49, 9), std::string(9, ' '));
}

// Replay over an in-memory log.
struct ReplayHarness {
    explicit ReplayHarness(std::string text)
        : log_text(std::move(text)),
          surface(large_screen),
          cycle(surface, state, host),
          log(test_support::open_bytes_as_file(log_text)) {}

    std::string log_text;
    Surface surface;
    OperatorState state;
    FakeHost host;
    AcquisitionCycle cycle;
    TextLogReader log;
};

std::string logged_line(int record) {
    return ", Tank =78.1, 1 st =87.5, 2 st =90.5, Steam=97.5, TopHE=25.0, Centr=25.2, BotHE=24.4, "
           "Out W=0.1, Proof= 0.0, 14:30:45_7, 1.002, Num=" +
           std::to_string(record) + "\r\n";
}

TEST(ReplayCycle, ALineThatStartsMidRecordShiftsTheRecordBoundary) {
    // The first record borrows ten fields of the next line; what is left of that line has
    // no "Num=" in its field 12, so no count is ever read and nothing is drawn.
    ReplayHarness harness("a,b,c\r\n" + logged_line(4));
    EXPECT_EQ(harness.cycle.run_replay_cycle(harness.log), ReplayOutcome::log_ended);
    EXPECT_EQ(harness.host.cycles_drawn, 0);
}

TEST(ReplayCycle, DrawsEachRecordAndReportsTheEndAfterTheLast) {
    ReplayHarness harness(logged_line(1233) + logged_line(1234));
    EXPECT_EQ(harness.cycle.run_replay_cycle(harness.log), ReplayOutcome::cycle_drawn);
    EXPECT_EQ(harness.cycle.run_replay_cycle(harness.log), ReplayOutcome::log_ended_after_cycle);
    EXPECT_EQ(harness.surface.text_of_row(1).substr(22, 32), "14:30:45_7 1.002 Num=1234 D=00  ");
    EXPECT_EQ(harness.cycle.frame()[0], 1250);
    EXPECT_EQ(harness.cycle.frame()[3], 1572);
    EXPECT_EQ(harness.cycle.record_number(), 1234);
    EXPECT_TRUE(harness.host.waits.empty());
}

TEST(ReplayCycle, SkipsRecordsUntilAPositiveCountAndEndsSilentlyWhenNoneIsLeft) {
    ReplayHarness harness(logged_line(0) + logged_line(5) + logged_line(0) + logged_line(6) +
                          logged_line(0) + logged_line(0));
    harness.state.replay_delay.store(3);
    EXPECT_EQ(harness.cycle.run_replay_cycle(harness.log), ReplayOutcome::cycle_drawn);
    EXPECT_EQ(harness.host.waits, (std::vector<int>{30, 30}));
    EXPECT_EQ(harness.host.window_services, 1);  // keys are served while records are skipped
    EXPECT_EQ(harness.cycle.record_number(), 5);
    EXPECT_EQ(harness.cycle.run_replay_cycle(harness.log), ReplayOutcome::cycle_drawn);
    EXPECT_NE(harness.surface.text_of_row(1).find("Num=6 D=03  "), std::string::npos);
    EXPECT_EQ(harness.cycle.run_replay_cycle(harness.log), ReplayOutcome::log_ended);
    EXPECT_EQ(harness.host.cycles_drawn, 2);
}

TEST(ReplayCycle, ARecordWithoutCountKeepsTheLastOne) {
    ReplayHarness harness(logged_line(4) + "x\r\n");
    EXPECT_EQ(harness.cycle.run_replay_cycle(harness.log), ReplayOutcome::cycle_drawn);
    // "x" and the empty fields after it form a record without "Num=": accepted with count 4.
    EXPECT_EQ(harness.cycle.run_replay_cycle(harness.log), ReplayOutcome::log_ended_after_cycle);
    EXPECT_EQ(harness.cycle.record_number(), 4);
    EXPECT_NE(harness.surface.text_of_row(1).find("   D=00  "), std::string::npos);
}

TEST(ReplayCycle, WhilePausedReadsNothing) {
    ReplayHarness harness(logged_line(1));
    harness.state.replay_paused.store(true);
    harness.state.replay_delay.store(2);
    // Resume from "the supervisor" after three pause checks.
    harness.host.after_wait = [&](std::size_t waits) { harness.state.replay_paused = waits < 6; };
    EXPECT_EQ(harness.cycle.run_replay_cycle(harness.log), ReplayOutcome::log_ended_after_cycle);
    EXPECT_EQ(harness.host.waits, (std::vector<int>{20, 100, 20, 100, 20, 100, 20}));
}

// The record a cycle hands over carries what it showed and logged, live and replayed alike.
TEST(CycleRecords, CarryTheCyclesValues) {
    LiveHarness live;
    live.state.proof_value.store(45.5f);
    TelemetryFrame frame = device_frame(77, 0x40);
    frame[element::time_hours] = 0x0E1E;    // 14:30
    frame[element::time_seconds] = 0x2D07;  // 45 s, count 7
    live.link.queue(0.35, frame);
    live.cycle.run_live_cycle(live.link, live.logs);
    ASSERT_EQ(live.host.cycles_drawn, 1);
    const CycleRecord& first = *live.host.last_record;
    EXPECT_EQ(first.record_number, 77);
    EXPECT_EQ(first.device_time, "14:30:45_7");
    EXPECT_DOUBLE_EQ(first.interval_s, 0.85);
    EXPECT_EQ(first.temperatures_c[0], 92.0f);
    EXPECT_EQ(first.temperatures_c[3], 78.5f);
    EXPECT_EQ(first.proof, 45.5f);
    EXPECT_EQ(first.valve, static_cast<float>(live.cycle.frame()[element::valve]));
    EXPECT_EQ(first.liquid_strength, live.cycle.derived().input_strength);
    EXPECT_EQ(first.vapour_strength, live.cycle.derived().output_strength);
    EXPECT_EQ(first.has_stages, live.cycle.derived().strength_test_passed);
    EXPECT_FALSE(first.has_reflux_ratio);  // the ratio period has 98 cycles

    std::string boiling = logged_line(12);  // a tank at 92 degrees and steam at 78.5
    boiling.replace(boiling.find("78.1"), 4, "92.0");
    boiling.replace(boiling.find("97.5"), 4, "78.5");
    ReplayHarness replay(logged_line(0) + boiling);
    replay.state.ratio_period.store(0);  // every cycle ends a period
    replay.cycle.run_replay_cycle(replay.log);
    ASSERT_EQ(replay.host.cycles_drawn, 1);
    const CycleRecord& replayed = *replay.host.last_record;
    EXPECT_EQ(replayed.record_number, 12);
    EXPECT_EQ(replayed.device_time, "14:30:45_7");
    EXPECT_DOUBLE_EQ(replayed.interval_s, 1.002);
    EXPECT_EQ(replayed.temperatures_c[1], 87.75f);  // 87.5 refilled with its offset
    EXPECT_TRUE(replayed.has_stages);
    EXPECT_GT(replayed.stages, 0.0f);
    EXPECT_TRUE(replayed.has_reflux_ratio);
    EXPECT_FLOAT_EQ(replayed.reflux_ratio * 100.0f, replay.cycle.derived().reflux_ratio);
}

}  // namespace
}  // namespace stillmon
