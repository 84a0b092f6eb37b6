#include "display/strip_chart.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/surface_probe.h"

namespace stillmon {
namespace {

using test_support::box_is;
using test_support::count_pixels;
using test_support::text_box;
using test_support::text_shows;

constexpr int newest_x = 94;

// Label columns 1..11 lie left of every trace point (x >= 94), so their pixels show the
// label alone.
::testing::AssertionResult label_shows(const Surface& surface, int row, const std::string& label,
                                       int colour) {
    return text_shows(surface, row, 1, label.substr(0, std::min<std::size_t>(label.size(), 11)),
                      colour, 0);
}

TEST(StripChart, TankAt78DegreesInTheSmallWindow) {
    Surface surface(small_screen);
    StripChart chart;
    chart.plot_channel(surface, 0, 1256);

    EXPECT_EQ(chart.history(newest_x, 0), 208);
    EXPECT_EQ(chart.label_row(0), 13);
    EXPECT_TRUE(chart.row_taken(13));
    EXPECT_EQ(surface.text_of_row(13).substr(0, 13), "78.5 Tank    ");
    EXPECT_TRUE(text_shows(surface, 13, 1, "78.5 Tank ", 10, 0));
    EXPECT_EQ(surface.pixel(newest_x, 208), 10);
    // Columns no value has reached yet hold y = 0: the trace runs along the top row there.
    for (int x = 95; x < 1024; ++x) {
        ASSERT_EQ(surface.pixel(x, 0), 10) << x;
    }
    EXPECT_EQ(surface.pixel(newest_x, 0), 0);
    // Nothing else in the channel's colour outside the label.
    EXPECT_EQ(count_pixels(surface, {0, 0, 1023, 767}, 10) -
                  count_pixels(surface, text_box(13, 1, 12), 10),
              929 + 1);
    // The first erase went to the cursor's row then (row 1) and left blanks there.
    EXPECT_EQ(surface.text_of_row(1), std::string(128, ' '));
    EXPECT_EQ(surface.text_row(), 14);
    EXPECT_EQ(surface.foreground(), 10);
}

struct PointCase {
    const char* name;
    ScreenGeometry geometry;
    int channel;
    std::int16_t raw;
    int expected_y;  // as kept in the history
    int expected_row;
    const char* label;
};

class StripChartPoint : public ::testing::TestWithParam<PointCase> {};

TEST_P(StripChartPoint, PutsPointAndLabelWhereTheValueBelongs) {
    const PointCase& c = GetParam();
    Surface surface(c.geometry);
    StripChart chart;
    chart.plot_channel(surface, c.channel, c.raw);

    const int colour = channel_table[static_cast<std::size_t>(c.channel)].colour;
    EXPECT_EQ(chart.history(newest_x, c.channel), c.expected_y);
    EXPECT_EQ(chart.label_row(c.channel), c.expected_row);
    const std::string label = c.label;
    const std::string row_text = surface.text_of_row(c.expected_row);
    EXPECT_EQ(row_text.substr(0, label.size()), label);
    EXPECT_EQ(row_text.find_first_not_of(' ', label.size()), std::string::npos) << row_text;
    EXPECT_TRUE(label_shows(surface, c.expected_row, c.label, colour));
    if (c.expected_y >= 0 && c.expected_y < c.geometry.height) {
        EXPECT_EQ(surface.pixel(newest_x, c.expected_y), colour);
    } else {
        EXPECT_EQ(count_pixels(surface, {newest_x, 0, newest_x, c.geometry.height - 1}, colour), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StripChartPoint,
    ::testing::Values(
        PointCase{"TankAt78DegreesLarge", large_screen, 0, 1256, 278, 17, "78.5 Tank "},
        PointCase{"AtRangeLowGoesToTheTopRow", small_screen, 0, 160, 0, 1, "10.0 Tank "},
        PointCase{"BelowRangeLowGoesToTheTopRow", small_screen, 0, 100, 0, 1, "6.2 Tank "},
        PointCase{"LowestRawValueGoesToTheTopRow", small_screen, 0, -32768, 0, 1, "-2048.0 Tank "},
        PointCase{"AtRangeHighGoesToTheTopRow", small_screen, 0, 1664, 0, 1, "104.0 Tank "},
        PointCase{"JustAboveRangeLowSmall", small_screen, 0, 161, 767, 47, "10.1 Tank "},
        PointCase{"JustAboveRangeLowLarge", large_screen, 0, 161, 1023, 63, "10.1 Tank "},
        PointCase{"LabelRowTieRoundsDownToEven", small_screen, 0, 207, 744, 46, "12.9 Tank "},
        PointCase{"LabelRowTieRoundsUpToEven", small_screen, 0, 301, 696, 44, "18.8 Tank "},
        PointCase{"LabelRowTieAtForty", small_screen, 0, 395, 648, 40, "24.7 Tank "},
        PointCase{"ValveInTheMiddle", small_screen, 15, 128, 384, 24, "128 Valve"},
        PointCase{"FlowWithTwoDecimals", small_screen, 12, 75, 320, 20, "0.75 FloW"},
        PointCase{"StageValue", small_screen, 19, 5964, 282, 18, "5.96 DistP"},
        PointCase{"SmallNegativeControllerTerm", small_screen, 8, -4, 754, 47, "0.0 PropR"},
        PointCase{"AboveTheRangeGoesOffTheTop", small_screen, 0, 2000, -172, 1, "125.0 Tank "},
        PointCase{"FarAboveTheRangeKeepsTheLow16Bits", small_screen, 12, 32767, -17836, 1,
                  "327.67 FloW"}),
    [](const ::testing::TestParamInfo<PointCase>& case_info) { return case_info.param.name; });

struct SharedRowCase {
    const char* name;
    ScreenGeometry geometry;
    std::int16_t raw;
    int first_row;
    int second_row;
};

class StripChartSharedRow : public ::testing::TestWithParam<SharedRowCase> {};

// Channels 0 and 7 have the same range, so the same value wants the same row.
TEST_P(StripChartSharedRow, SecondChannelSearchesAwayFromTheNearerEdge) {
    const SharedRowCase& c = GetParam();
    Surface surface(c.geometry);
    StripChart chart;
    chart.plot_channel(surface, 0, c.raw);
    chart.plot_channel(surface, 7, c.raw);
    EXPECT_EQ(chart.label_row(0), c.first_row);
    EXPECT_EQ(chart.label_row(7), c.second_row);
    EXPECT_NE(surface.text_of_row(c.first_row).find("Tank "), std::string::npos);
    EXPECT_NE(surface.text_of_row(c.second_row).find("Out W"), std::string::npos);
    EXPECT_TRUE(label_shows(surface, c.second_row, surface.text_of_row(c.second_row), 11));
    EXPECT_TRUE(chart.row_taken(c.first_row));
    EXPECT_TRUE(chart.row_taken(c.second_row));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StripChartSharedRow,
    ::testing::Values(
        SharedRowCase{"UpperHalfSmall", small_screen, 1256, 13, 14},
        SharedRowCase{"HalfRowCountSearchesDownwardsSmall", small_screen, 912, 24, 25},
        SharedRowCase{"LowerHalfSmall", small_screen, 880, 25, 24},
        SharedRowCase{"HalfRowCountSearchesDownwardsLarge", large_screen, 912, 32, 33},
        SharedRowCase{"LowerHalfLarge", large_screen, 888, 33, 32}),
    [](const ::testing::TestParamInfo<SharedRowCase>& case_info) { return case_info.param.name; });

TEST(StripChart, ThirdChannelWantingATakenRowTakesTheNextFreeOne) {
    struct Expectation {
        std::int16_t raw;
        std::vector<int> rows;  // for channels 1, 2, 3
    };
    for (const Expectation& e : {Expectation{1500, {6, 7, 8}}, Expectation{300, {46, 45, 44}}}) {
        Surface surface(small_screen);
        StripChart chart;
        for (int cycle = 0; cycle < 2; ++cycle) {
            for (const int channel : {1, 2, 3}) {
                chart.plot_channel(surface, channel, e.raw);
            }
        }
        for (const int channel : {1, 2, 3}) {
            const int row = e.rows[static_cast<std::size_t>(channel - 1)];
            const Channel& constants = channel_table[static_cast<std::size_t>(channel)];
            EXPECT_EQ(chart.label_row(channel), row) << "raw " << e.raw << " channel " << channel;
            const std::string text = surface.text_of_row(row);
            EXPECT_NE(text.find(constants.name), std::string::npos) << text;
            EXPECT_TRUE(label_shows(surface, row, text.substr(0, 9), constants.colour));
        }
    }
}

// A channel's first erase lands on the cursor's row, which is the row below the label
// printed just before it. When the search went upwards that row is the previous channel's
// label row: its label is blanked for the rest of the first cycle.
TEST(StripChart, FirstEraseBlanksTheRowBelowThePreviousLabel) {
    Surface surface(small_screen);
    StripChart chart;
    for (const int channel : {1, 2, 3}) {
        chart.plot_channel(surface, channel, 300);
    }
    EXPECT_EQ(chart.label_row(1), 46);
    EXPECT_EQ(chart.label_row(2), 45);
    EXPECT_EQ(surface.text_of_row(46), std::string(128, ' '));
    EXPECT_TRUE(box_is(surface, text_box(46, 1, 11), 0));
    EXPECT_NE(surface.text_of_row(45).find("2 st "), std::string::npos);
    EXPECT_NE(surface.text_of_row(44).find("Steam"), std::string::npos);

    chart.plot_channel(surface, 1, 300);
    EXPECT_NE(surface.text_of_row(46).find("1 st "), std::string::npos);
}

TEST(StripChart, MovingLabelBlanksAndFreesItsOldRow) {
    Surface surface(small_screen);
    StripChart chart;
    chart.plot_channel(surface, 0, 1256);
    ASSERT_EQ(chart.label_row(0), 13);
    chart.plot_channel(surface, 0, 207);

    EXPECT_EQ(chart.label_row(0), 46);
    EXPECT_FALSE(chart.row_taken(13));
    EXPECT_TRUE(chart.row_taken(46));
    EXPECT_EQ(surface.text_of_row(13), std::string(128, ' '));
    EXPECT_TRUE(box_is(surface, text_box(13, 1, 12), 0));
    EXPECT_EQ(surface.text_of_row(46).substr(0, 12), "12.9 Tank   ");
}

TEST(StripChart, UnchangedLabelKeepsItsOwnRow) {
    Surface surface(small_screen);
    StripChart chart;
    chart.plot_channel(surface, 0, 1256);
    chart.plot_channel(surface, 0, 1256);
    EXPECT_EQ(chart.label_row(0), 13);
    EXPECT_FALSE(chart.row_taken(14));
    EXPECT_EQ(surface.text_of_row(14), std::string(128, ' '));
}

TEST(StripChart, LabelLongerThanTheErasedColumnsLeavesItsThirteenthCharacter) {
    Surface surface(small_screen);
    StripChart chart;
    chart.plot_channel(surface, 13, -32768);
    ASSERT_EQ(chart.label_row(13), 1);
    EXPECT_EQ(surface.text_of_row(1).substr(0, 14), "-327.68 Wolum ");
    chart.plot_channel(surface, 13, 300);

    EXPECT_EQ(chart.label_row(13), 10);
    EXPECT_EQ(surface.text_of_row(1).substr(0, 14), "            m ");
    // The trace's top row crosses the cell, so look below it.
    EXPECT_GT(count_pixels(surface, {96, 1, 103, 15}, 11), 10);
    EXPECT_EQ(
        count_pixels(surface, {96, 1, 103, 15}, 11) + count_pixels(surface, {96, 1, 103, 15}, 0),
        8 * 15);
    EXPECT_EQ(surface.text_of_row(10).substr(0, 12), "3.00 Wolum  ");
}

TEST(StripChart, FirstLabelOnThePenultimateRowMakesTheNextFirstEraseScrollTheSurface) {
    Surface surface(small_screen);
    StripChart chart;
    chart.plot_channel(surface, 0, 161);  // label on row 47, cursor left on row 48
    ASSERT_EQ(chart.label_row(0), 47);
    ASSERT_EQ(surface.pixel(newest_x, 767), 10);
    chart.plot_channel(surface, 1, 1500);  // first erase: blanks on row 48, then a scroll

    EXPECT_EQ(surface.text_of_row(46).substr(0, 12), "10.1 Tank   ");
    EXPECT_TRUE(label_shows(surface, 46, "10.1 Tank ", 10));
    EXPECT_EQ(surface.text_of_row(47), std::string(128, ' '));
    EXPECT_EQ(surface.text_of_row(48), std::string(128, ' '));
    // The blanks covered the newest point (94, 767) before the scroll moved row 48 up.
    EXPECT_EQ(count_pixels(surface, {0, 0, 1023, 767}, 10),
              count_pixels(surface, text_box(46, 1, 12), 10));
    EXPECT_TRUE(box_is(surface, {0, 752, 1023, 767}, 0));
    // The chart does not know about the scroll: it still holds row 47 for channel 0.
    EXPECT_EQ(chart.label_row(0), 47);
    EXPECT_TRUE(chart.row_taken(47));
    EXPECT_EQ(chart.label_row(1), 6);
    EXPECT_TRUE(label_shows(surface, 6, "93.7 1 st ", 11));
}

TEST(StripChart, HistoryShiftsOneColumnPerCall) {
    Surface surface(small_screen);
    StripChart chart;
    chart.plot_channel(surface, 0, 1256);
    EXPECT_EQ(chart.history(94, 0), 208);
    EXPECT_EQ(chart.history(95, 0), 0);
    chart.plot_channel(surface, 0, 207);

    EXPECT_EQ(chart.history(94, 0), 744);
    EXPECT_EQ(chart.history(95, 0), 208);
    EXPECT_EQ(chart.history(96, 0), 0);
    EXPECT_EQ(surface.pixel(94, 744), 10);
    EXPECT_EQ(surface.pixel(95, 208), 10);
    EXPECT_EQ(surface.pixel(94, 208), 0);
    // Other channels' histories are untouched.
    EXPECT_EQ(chart.history(94, 7), 0);
}

TEST(StripChart, WholeTraceIsRedrawnOnePixelPerColumn) {
    Surface surface(small_screen);
    StripChart chart;
    std::vector<int> newest;
    const int calls = 1024 - 94 + 5;
    for (int i = 0; i < calls; ++i) {
        chart.plot_channel(surface, 0, static_cast<std::int16_t>(161 + (i * 37) % 1500));
        newest.push_back(chart.history(94, 0));
    }
    for (int x = 94; x <= 1024; ++x) {
        const int age = x - 94;
        ASSERT_EQ(chart.history(x, 0), newest[newest.size() - 1 - static_cast<std::size_t>(age)])
            << x;
        if (x < 1024) {
            ASSERT_EQ(surface.pixel(x, chart.history(x, 0)), 10) << x;
        }
    }
    // Every older point was erased where it stood: right of the label area, one point per column.
    EXPECT_EQ(count_pixels(surface, {96, 0, 1023, 767}, 10), 1024 - 96);
}

TEST(StripChart, TraceAndLabelComeBackAfterTheSurfaceIsCleared) {
    Surface surface(large_screen);
    StripChart chart;
    for (const std::int16_t raw : {std::int16_t{1256}, std::int16_t{1300}, std::int16_t{1350}}) {
        chart.plot_channel(surface, 0, raw);
    }
    surface.clear();
    chart.plot_channel(surface, 0, 1400);
    for (int x = 94; x <= 97; ++x) {
        EXPECT_EQ(surface.pixel(x, chart.history(x, 0)), 10) << x;
    }
    EXPECT_EQ(chart.history(97, 0), 278);
    EXPECT_TRUE(label_shows(surface, chart.label_row(0), "87.5 Tank ", 10));
    EXPECT_EQ(surface.pixel(500, 0), 10);
}

TEST(StripChart, ChannelsOutsideTheTableDrawNothing) {
    Surface surface(small_screen);
    StripChart chart;
    const std::uint64_t revision = surface.revision();
    chart.plot_channel(surface, 20, 100);
    chart.plot_channel(surface, -1, 100);
    EXPECT_EQ(surface.revision(), revision);
}

TEST(StripChart, ChannelWithoutARangeStillPrintsItsLabelAndDrawsNoNewestPoint) {
    Surface surface(small_screen);
    StripChart chart;
    chart.plot_channel(surface, 16, 2000);
    EXPECT_EQ(chart.label_row(16), 1);
    EXPECT_EQ(surface.text_of_row(1).substr(0, 12), "20.0 Res 1  ");
    EXPECT_EQ(count_pixels(surface, {newest_x, 0, newest_x, 767}, 14), 0);
}

}  // namespace
}  // namespace stillmon
