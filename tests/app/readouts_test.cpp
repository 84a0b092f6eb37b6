#include "app/readouts.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "display/surface.h"
#include "support/recording_screen.h"
#include "support/surface_probe.h"

namespace stillmon {
namespace {

using test_support::put_text;
using test_support::text_shows;

// Lines as the cycle composes them from a typical frame.
const ChannelLines typical_lines{
    ", Tank =78.5, 1 st =87.5, 2 st =90.5, Steam=97.5, TopHE=25.0, Centr=25.2, BotHE=24.4, "
    "Out W=0.1, ",
    "PropR=12.3, IntgW=45.6, DiffY=0.0, Blue =100.2, ",
    "FloW=0.75, Wolum=1.23, Targt=80.0, Valve=128, "};
const std::string live_record_line =
    typical_lines.first + "Proof= 0.0, 14:30:45_7, 1.002, Num=1234";
const std::string replay_record_line = "14:30:45_7 1.002 Num=1234 D=00  ";

std::string blank_row(int columns) {
    return std::string(static_cast<std::size_t>(columns), ' ');
}

class StatusPanel : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(typical_lines.first.size(), 97U);
        ASSERT_EQ(live_record_line.size(), 136U);
        ASSERT_EQ(typical_lines.second.size(), 48U);
        ASSERT_EQ(typical_lines.third.size(), 46U);
    }
    OperatorState state;
};

TEST_F(StatusPanel, LargeWindowLiveRecordLineCoversChannelLineOne) {
    Surface surface(large_screen);
    print_status_panel(surface, typical_lines, live_record_line, state);

    std::string row1 = blank_row(160);
    put_text(row1, 23, live_record_line);  // to column 158, over line 1 (55..151)
    EXPECT_EQ(surface.text_of_row(1), row1);
    EXPECT_TRUE(text_shows(surface, 1, 23, live_record_line, 15, 0));

    std::string row2 = blank_row(160);
    put_text(row2, 33, typical_lines.second);
    put_text(row2, 85, typical_lines.third);
    put_text(row2, 130, " 20 ");
    put_text(row2, 135, " 30 ");
    put_text(row2, 140, " 97 ");
    put_text(row2, 145, " 117 ");
    EXPECT_EQ(surface.text_of_row(2), row2);
    EXPECT_TRUE(text_shows(surface, 2, 33, typical_lines.second, 15, 0));
    EXPECT_TRUE(text_shows(surface, 2, 85, typical_lines.third.substr(0, 45), 15, 0));
    EXPECT_TRUE(text_shows(surface, 2, 130, " 20 ", 13, 0));
    EXPECT_TRUE(text_shows(surface, 2, 135, " 30 ", 10, 0));
    EXPECT_TRUE(text_shows(surface, 2, 140, " 97 ", 12, 0));
    EXPECT_TRUE(text_shows(surface, 2, 145, " 117 ", 11, 0));

    EXPECT_EQ(surface.text_of_row(3), blank_row(160));
    EXPECT_EQ(surface.text_row(), 3);
    EXPECT_EQ(surface.text_column(), 1);
    EXPECT_EQ(surface.foreground(), 11);
}

TEST_F(StatusPanel, LargeWindowReplayLeavesChannelLineOneVisibleFromColumn55) {
    Surface surface(large_screen);
    print_status_panel(surface, typical_lines, replay_record_line, state);

    std::string row1 = blank_row(160);
    put_text(row1, 55, typical_lines.first);
    put_text(row1, 23, replay_record_line);
    EXPECT_EQ(surface.text_of_row(1), row1);
    EXPECT_TRUE(text_shows(surface, 1, 23, replay_record_line, 15, 0));
    EXPECT_TRUE(text_shows(surface, 1, 55, typical_lines.first, 15, 0));
}

TEST_F(StatusPanel, SmallWindowLongLinesSpillAndRefusedParametersFollowOnTheRowsBelow) {
    Surface surface(small_screen);
    print_status_panel(surface, typical_lines, live_record_line, state);

    // Line 1 fills columns 55..128 (74 characters) and runs on at row 2; the record line
    // fills 23..128 (106) and runs on over row 2 columns 1..30.
    std::string row1 = blank_row(128);
    put_text(row1, 23, live_record_line.substr(0, 106));
    EXPECT_EQ(surface.text_of_row(1), row1);
    EXPECT_TRUE(text_shows(surface, 1, 23, live_record_line.substr(0, 106), 15, 0));

    // Line 3 fills 85..128 (44 characters) and its last two run on to row 3.
    std::string row2 = blank_row(128);
    put_text(row2, 1, typical_lines.first.substr(74));
    put_text(row2, 1, live_record_line.substr(106));
    put_text(row2, 33, typical_lines.second);
    put_text(row2, 85, typical_lines.third.substr(0, 44));
    EXPECT_EQ(surface.text_of_row(2), row2);
    EXPECT_TRUE(text_shows(surface, 2, 1, live_record_line.substr(106), 15, 0));

    std::string row3 = blank_row(128);
    put_text(row3, 1, typical_lines.third.substr(44));
    EXPECT_EQ(surface.text_of_row(3), row3);

    // Column 130 and beyond lie off the grid: each parameter lands at column 1 of the row
    // below the previous print.
    struct Parameter {
        int row;
        std::string text;
        int colour;
    };
    for (const Parameter& p : {Parameter{4, " 20 ", 13}, Parameter{5, " 30 ", 10},
                               Parameter{6, " 97 ", 12}, Parameter{7, " 117 ", 11}}) {
        std::string row = blank_row(128);
        put_text(row, 1, p.text);
        EXPECT_EQ(surface.text_of_row(p.row), row) << "row " << p.row;
        EXPECT_TRUE(text_shows(surface, p.row, 1, p.text, p.colour, 0));
    }
    EXPECT_EQ(surface.text_of_row(8), blank_row(128));
    EXPECT_EQ(surface.text_row(), 8);
}

TEST_F(StatusPanel, ParametersShowTheirCurrentValuesWithABlankOnEachSide) {
    state.valve_window.store(0);
    state.flow_window.store(256);
    state.ratio_period.store(5);
    state.correction_gain.store(100);
    Surface surface(large_screen);
    surface.set_text_position(2, 130);
    surface.print("xxxxxxxxxxxxxxxxxxxx", false);  // an earlier, longer readout
    print_status_panel(surface, ChannelLines{}, "", state);

    EXPECT_EQ(surface.text_of_row(2).substr(129, 20), " 0 xx 256  5 xx 100 ");
    EXPECT_TRUE(text_shows(surface, 2, 130, " 0 ", 13, 0));
    EXPECT_TRUE(text_shows(surface, 2, 135, " 256 ", 10, 0));
    EXPECT_TRUE(text_shows(surface, 2, 140, " 5 ", 12, 0));
    EXPECT_TRUE(text_shows(surface, 2, 145, " 100 ", 11, 0));
}

TEST(CycleReadouts, StageLineShowsTheCrossingPointUnrounded) {
    RecordingScreen screen;
    // As a float, 5.965 would read 5.97.
    print_cycle_readouts(screen, {StageCount{11.02f, 94.21f, 6, 5.965, 5.965f}, {}, {}});
    EXPECT_EQ(screen.text_at(4, 10),
              " Proof Input=11.02, Proof Output=94.21, D Stage=6.0, DLine St=5.96" +
                  std::string(12, ' '));
}

// The operator's guide's table of readouts names each place ("| 2, 130 / 135 | ...") in the
// order of the table that places them.
TEST(ReadoutTable, PlacesWhatTheGuidesTableSays) {
    std::vector<std::pair<int, int>> guide_places;
    std::ifstream guide(STILLMON_OPERATING_GUIDE);
    bool in_table = false;
    for (std::string line; std::getline(guide, line);) {
        if (line == "| Row, column | Readout |") {
            in_table = true;
        } else if (in_table && line.starts_with("| ")) {
            std::istringstream place(line.substr(2, line.find(" | ", 2) - 2));
            int row = 0;
            char separator = 0;
            place >> row >> separator;
            for (int column = 0; place >> column; place >> separator) {
                guide_places.emplace_back(row, column);
            }
        } else if (in_table && line != "|---|---|") {
            break;
        }
    }
    std::vector<std::pair<int, int>> table_places;
    for (const ReadoutPlace& place : readout_table) {
        table_places.emplace_back(place.row, place.column);
    }
    EXPECT_EQ(guide_places, table_places);
}

}  // namespace
}  // namespace stillmon
