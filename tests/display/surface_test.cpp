#include "display/surface.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "display/glyphs.h"
#include "support/surface_probe.h"

namespace stillmon {
namespace {

using test_support::box_is;
using test_support::cell_box;
using test_support::cell_shows;
using test_support::count_pixels;
using test_support::count_pixels_outside;
using test_support::fill_surface;
using test_support::PixelBox;
using test_support::text_box;
using test_support::text_shows;

std::string blanks(int count) { return std::string(static_cast<std::size_t>(count), ' '); }

TEST(Surface, OpensBlackWithWhiteOnBlackAtTheFirstCell) {
    for (const ScreenGeometry geometry : {small_screen, large_screen}) {
        Surface surface(geometry);
        EXPECT_EQ(surface.pixels().size(),
                  static_cast<std::size_t>(geometry.width) * static_cast<std::size_t>(geometry.height));
        EXPECT_TRUE(box_is(surface, {0, 0, geometry.width - 1, geometry.height - 1}, 0));
        EXPECT_EQ(surface.foreground(), 15);
        EXPECT_EQ(surface.background(), 0);
        EXPECT_EQ(surface.text_row(), 1);
        EXPECT_EQ(surface.text_column(), 1);
        EXPECT_EQ(surface.text_of_row(1), blanks(geometry.text_columns()));
        EXPECT_EQ(surface.text_of_row(geometry.text_rows), blanks(geometry.text_columns()));
    }
}

TEST(Surface, PrintedCharacterPaintsGlyphInForegroundAndTheRestOfItsCellInBackground) {
    Surface surface(large_screen);
    fill_surface(surface, 6);
    surface.set_text_position(5, 7);
    surface.set_text_colours(14, 1);
    surface.print("A", false);

    // The glyph must have both kinds of pixel, or the check below proves nothing.
    const int ink = count_pixels(surface, cell_box(5, 7), 14);
    EXPECT_GT(ink, 10);
    EXPECT_GT(count_pixels(surface, cell_box(5, 7), 1), 10);
    EXPECT_TRUE(cell_shows(surface, 5, 7, 'A', 14, 1));
    // Only the cell changed.
    EXPECT_EQ(count_pixels_outside(surface, cell_box(5, 7), 6),
              surface.width() * surface.height() - 8 * 16);
}

TEST(Surface, GlyphPixelsFollowTheFontBitForBit) {
    Surface surface(small_screen);
    surface.set_text_position(3, 2);
    surface.set_text_colours(12, 0);
    surface.print("g", false);
    const GlyphRows& glyph = glyph_rows('g');
    int set_bits = 0;
    for (int dy = 0; dy < 16; ++dy) {
        for (int dx = 0; dx < 8; ++dx) {
            const bool bit = (glyph[static_cast<std::size_t>(dy)] & (0x80 >> dx)) != 0;
            set_bits += bit ? 1 : 0;
            EXPECT_EQ(surface.pixel(8 + dx, 32 + dy), bit ? 12 : 0) << dx << "," << dy;
        }
    }
    EXPECT_GT(set_bits, 0);
}

TEST(Surface, CellPrintedBlackOnBlackBlacksOutExactlyItsEightBySixteenPixels) {
    Surface surface(small_screen);
    fill_surface(surface, 7);
    surface.set_text_position(3, 4);
    surface.set_text_colours(0, 0);
    surface.print("X", false);
    EXPECT_TRUE(box_is(surface, cell_box(3, 4), 0));
    EXPECT_EQ(count_pixels(surface, {0, 0, surface.width() - 1, surface.height() - 1}, 0), 128);
    EXPECT_EQ(surface.text_of_row(3).substr(0, 5), "   X ");
}

TEST(Surface, TwelveBlanksInBlackAtRowTenBlackOutTheLabelColumns) {
    for (const ScreenGeometry geometry : {small_screen, large_screen}) {
        Surface surface(geometry);
        fill_surface(surface, 9);
        surface.set_text_position(10, 1);
        surface.set_text_colours(0, 0);
        surface.print(blanks(12), true);
        const PixelBox blacked{0, 144, 95, 159};
        EXPECT_TRUE(box_is(surface, blacked, 0));
        EXPECT_EQ(count_pixels_outside(surface, blacked, 9),
                  geometry.width * geometry.height - 96 * 16);
        EXPECT_EQ(surface.text_row(), 11);
        EXPECT_EQ(surface.text_column(), 1);
    }
}

TEST(Surface, CursorAdvancesOneColumnPerCharacterAndEndingTheLineGoesToColumnOne) {
    Surface surface(large_screen);
    surface.set_text_position(7, 20);
    surface.print("abc", false);
    EXPECT_EQ(surface.text_row(), 7);
    EXPECT_EQ(surface.text_column(), 23);
    surface.print("de", true);
    EXPECT_EQ(surface.text_row(), 8);
    EXPECT_EQ(surface.text_column(), 1);
    surface.print("", true);
    EXPECT_EQ(surface.text_row(), 9);
    EXPECT_EQ(surface.text_of_row(7).substr(18, 8), " abcde  ");
    EXPECT_TRUE(text_shows(surface, 7, 20, "abcde", 15, 0));
}

struct WrapCase {
    const char* name;
    ScreenGeometry geometry;
    int start_column_from_end;  // 0 = the last column
    std::string text;
    bool end_line;
    int expected_row;  // relative to the start row
    int expected_column;
};

class SurfaceWrap : public ::testing::TestWithParam<WrapCase> {};

TEST_P(SurfaceWrap, LeavesTheCursorWhereTheTextEnds) {
    const WrapCase& c = GetParam();
    Surface surface(c.geometry);
    const int columns = c.geometry.text_columns();
    surface.set_text_position(5, columns - c.start_column_from_end);
    surface.print(c.text, c.end_line);
    EXPECT_EQ(surface.text_row(), 5 + c.expected_row);
    EXPECT_EQ(surface.text_column(), c.expected_column);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SurfaceWrap,
    ::testing::Values(
        WrapCase{"FillsTheLastColumnWithoutEndingTheLine", small_screen, 1, "ab", false, 1, 1},
        WrapCase{"FillsTheLastColumnAndEndsTheLineOneRowFurther", small_screen, 1, "ab", true, 2, 1},
        WrapCase{"StopsBeforeTheLastColumn", large_screen, 2, "ab", false, 0, 160},
        WrapCase{"StopsBeforeTheLastColumnAndEndsTheLine", large_screen, 2, "ab", true, 1, 1},
        WrapCase{"RunsOnIntoTheNextRow", large_screen, 0, "abcd", false, 1, 4},
        WrapCase{"RunsOnAndEndsTheLine", large_screen, 0, "abcd", true, 2, 1},
        WrapCase{"FillsAWholeRow", small_screen, 127, std::string(128, 'z'), true, 2, 1}),
    [](const ::testing::TestParamInfo<WrapCase>& case_info) { return case_info.param.name; });

TEST(Surface, TextPastTheLastColumnContinuesAtColumnOneOfTheNextRow) {
    Surface surface(small_screen);
    surface.set_text_position(3, 127);
    surface.set_text_colours(11, 0);
    surface.print("WXYZ", false);
    EXPECT_EQ(surface.text_of_row(3).substr(124), "  WX");
    EXPECT_EQ(surface.text_of_row(4).substr(0, 3), "YZ ");
    EXPECT_TRUE(cell_shows(surface, 3, 128, 'X', 11, 0));
    EXPECT_TRUE(cell_shows(surface, 4, 1, 'Y', 11, 0));
    EXPECT_TRUE(cell_shows(surface, 4, 2, 'Z', 11, 0));
    EXPECT_EQ(surface.text_row(), 4);
    EXPECT_EQ(surface.text_column(), 3);
}

TEST(Surface, EndingTheLastRowScrollsTextAndPixelsUpOneTextRow) {
    Surface surface(small_screen);
    surface.set_text_position(1, 1);
    surface.print("top", false);
    surface.set_text_position(2, 1);
    surface.print("second", false);
    surface.set_text_position(48, 10);
    surface.print("last", false);
    surface.set_pixel(500, 20, 9);   // text row 2
    surface.set_pixel(500, 3, 9);    // text row 1, scrolled away
    surface.set_pixel(600, 767, 4);  // bottom row, moves to 751
    surface.set_text_position(48, 1);
    surface.set_text_colours(15, 2);
    surface.print("end", true);

    EXPECT_EQ(surface.text_of_row(1).substr(0, 7), "second ");
    EXPECT_EQ(surface.text_of_row(47).substr(0, 13), "end      last");
    EXPECT_EQ(surface.text_of_row(48), blanks(128));
    EXPECT_EQ(surface.pixel(500, 4), 9);
    EXPECT_EQ(surface.pixel(500, 20), 0);
    EXPECT_EQ(count_pixels(surface, {0, 0, 1023, 751}, 9), 1);
    EXPECT_EQ(surface.pixel(600, 751), 4);
    EXPECT_TRUE(text_shows(surface, 1, 1, "second", 15, 0));
    EXPECT_TRUE(text_shows(surface, 47, 1, "end", 15, 2));
    // The new last row takes the background colour of the print that scrolled.
    EXPECT_TRUE(box_is(surface, {0, 752, 1023, 767}, 2));
    EXPECT_EQ(surface.text_row(), 48);
    EXPECT_EQ(surface.text_column(), 1);
}

TEST(Surface, RunningPastTheLastColumnOfTheLastRowScrollsAndContinues) {
    Surface surface(large_screen);
    surface.set_text_position(64, 160);
    surface.set_text_colours(13, 0);
    surface.print("ab", false);
    EXPECT_EQ(surface.text_of_row(63).back(), 'a');
    EXPECT_EQ(surface.text_of_row(64).substr(0, 2), "b ");
    EXPECT_TRUE(cell_shows(surface, 63, 160, 'a', 13, 0));
    EXPECT_TRUE(cell_shows(surface, 64, 1, 'b', 13, 0));
    EXPECT_EQ(surface.text_row(), 64);
    EXPECT_EQ(surface.text_column(), 2);
}

struct PositionCase {
    const char* name;
    ScreenGeometry geometry;
    int row;
    int column;
    int expected_row;
    int expected_column;
};

class SurfacePosition : public ::testing::TestWithParam<PositionCase> {};

TEST_P(SurfacePosition, MovesTheCursorOnlyInsideTheGrid) {
    const PositionCase& c = GetParam();
    Surface surface(c.geometry);
    surface.set_text_position(5, 7);
    surface.set_text_position(c.row, c.column);
    EXPECT_EQ(surface.text_row(), c.expected_row);
    EXPECT_EQ(surface.text_column(), c.expected_column);
    // The next print lands at the cursor, wherever the refusal left it.
    surface.print("Q", false);
    if (c.expected_row == c.geometry.text_rows && c.expected_column == c.geometry.text_columns()) {
        return;  // the last cell scrolls the grid; covered elsewhere
    }
    EXPECT_EQ(surface.text_of_row(c.expected_row)[static_cast<std::size_t>(c.expected_column - 1)],
              'Q');
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SurfacePosition,
    ::testing::Values(
        PositionCase{"RowZeroKeepsTheRow", small_screen, 0, 1, 5, 1},
        PositionCase{"RowZeroStillSetsTheColumn", large_screen, 0, 99, 5, 99},
        PositionCase{"LastCellOfTheSmallGrid", small_screen, 48, 128, 48, 128},
        PositionCase{"LastCellOfTheLargeGrid", large_screen, 64, 160, 64, 160},
        PositionCase{"Row49RefusedInTheSmallGrid", small_screen, 49, 1, 5, 7},
        PositionCase{"Row49AcceptedInTheLargeGrid", large_screen, 49, 1, 49, 1},
        PositionCase{"Column129RefusedInTheSmallGrid", small_screen, 2, 129, 5, 7},
        PositionCase{"Column130RefusedInTheSmallGrid", small_screen, 2, 130, 5, 7},
        PositionCase{"Column130AcceptedInTheLargeGrid", large_screen, 2, 130, 2, 130},
        PositionCase{"Row65RefusedInTheLargeGrid", large_screen, 65, 1, 5, 7},
        PositionCase{"Column161RefusedInTheLargeGrid", large_screen, 1, 161, 5, 7},
        PositionCase{"ColumnZeroRefused", large_screen, 3, 0, 5, 7},
        PositionCase{"RowZeroWithColumnOutsideRefused", small_screen, 0, 129, 5, 7},
        PositionCase{"NegativeRowRefused", small_screen, -1, 3, 5, 7}),
    [](const ::testing::TestParamInfo<PositionCase>& case_info) { return case_info.param.name; });

TEST(Surface, ClearFillsEverythingWithTheBackgroundAndEmptiesTheTextGrid) {
    Surface surface(small_screen);
    surface.set_text_position(10, 10);
    surface.print("some text", true);
    surface.set_pixel(700, 700, 12);
    surface.set_text_colours(3, 5);
    surface.clear();
    EXPECT_TRUE(box_is(surface, {0, 0, 1023, 767}, 5));
    EXPECT_EQ(surface.text_of_row(10), blanks(128));
    EXPECT_EQ(surface.foreground(), 3);
    EXPECT_EQ(surface.background(), 5);
    EXPECT_EQ(surface.text_row(), 11);
    EXPECT_EQ(surface.text_column(), 1);
}

TEST(Surface, SetPixelSkipsPixelsOutsideTheSurfaceSilently) {
    Surface surface(small_screen);
    const std::uint64_t before = surface.revision();
    for (const auto& [x, y] : std::vector<std::pair<double, double>>{
             {-1, 0}, {1024, 0}, {0, 768}, {0, -1}, {1e300, 5}, {5, -1e300}, {NAN, 5}, {5, NAN}}) {
        surface.set_pixel(x, y, 12);
    }
    EXPECT_EQ(surface.revision(), before);
    EXPECT_EQ(count_pixels(surface, {0, 0, 1023, 767}, 12), 0);

    surface.set_pixel(0, 0, 12);
    surface.set_pixel(1023, 767, 13);
    EXPECT_EQ(surface.pixel(0, 0), 12);
    EXPECT_EQ(surface.pixel(1023, 767), 13);
    EXPECT_GT(surface.revision(), before);
}

TEST(Surface, SetPixelRoundsFractionsToTheNearestPixelHalvesToEven) {
    Surface surface(small_screen);
    surface.set_pixel(2.5, 10.0, 3);   // 2
    surface.set_pixel(5.5, 10.0, 4);   // 6
    surface.set_pixel(7.4, 10.6, 5);   // (7, 11)
    surface.set_pixel(-0.4, 20.0, 6);  // 0
    EXPECT_EQ(surface.pixel(2, 10), 3);
    EXPECT_EQ(surface.pixel(6, 10), 4);
    EXPECT_EQ(surface.pixel(7, 11), 5);
    EXPECT_EQ(surface.pixel(0, 20), 6);
    EXPECT_EQ(count_pixels(surface, {0, 0, 1023, 767}, 0), 1024 * 768 - 4);
}

TEST(Surface, RevisionGrowsWithEveryChangeOfThePixels) {
    Surface surface(small_screen);
    std::uint64_t last = surface.revision();
    const auto grew = [&] {
        const bool result = surface.revision() > last;
        last = surface.revision();
        return result;
    };
    surface.set_pixel(3, 3, 7);
    EXPECT_TRUE(grew());
    surface.print("x", false);
    EXPECT_TRUE(grew());
    surface.draw_line(0, 100, 50, 100, 2, 0xFFFF);
    EXPECT_TRUE(grew());
    surface.clear();
    EXPECT_TRUE(grew());
    surface.set_text_position(48, 1);
    surface.print("", true);
    EXPECT_TRUE(grew());
    surface.set_text_position(3, 3);
    surface.set_text_colours(4, 0);
    EXPECT_FALSE(grew());
}

std::vector<int> lit_offsets(const Surface& surface, int y, int from, int to, int colour) {
    std::vector<int> offsets;
    for (int x = from; x <= to; ++x) {
        if (surface.pixel(x, y) == colour) {
            offsets.push_back(x - from);
        }
    }
    return offsets;
}

TEST(Surface, DrawLineStartsTheStyleWithBit15AndRepeatsItEverySixteenPixels) {
    Surface surface(large_screen);
    surface.draw_line(10, 5, 45, 5, 12, 0x8001);
    EXPECT_EQ(lit_offsets(surface, 5, 10, 45, 12), (std::vector<int>{0, 15, 16, 31, 32}));
    EXPECT_EQ(count_pixels(surface, {0, 0, 1279, 1023}, 12), 5);
}

TEST(Surface, DrawLineStyleFollowsTheDirectionFromTheFirstEnd) {
    Surface surface(large_screen);
    surface.draw_line(45, 7, 10, 7, 11, 0xC000);
    EXPECT_EQ(lit_offsets(surface, 7, 10, 45, 11), (std::vector<int>{2, 3, 18, 19, 34, 35}));
}

TEST(Surface, DrawLineWithAClearStyleBitLeavesThatPixelAsItWas) {
    Surface surface(small_screen);
    fill_surface(surface, 8);
    surface.draw_line(0, 2, 0, 17, 14, 0xF0F0);
    for (int y = 2; y <= 17; ++y) {
        EXPECT_EQ(surface.pixel(0, y), (y - 2) % 8 < 4 ? 14 : 8) << y;
    }
    EXPECT_EQ(surface.pixel(0, 1), 8);
    EXPECT_EQ(surface.pixel(0, 18), 8);
}

TEST(Surface, DrawLineIncludesBothEndsAndStepsOnePixelPerMajorStep) {
    Surface surface(large_screen);
    surface.draw_line(100, 200, 103, 210, 9, 0xFFFF);
    EXPECT_EQ(surface.pixel(100, 200), 9);
    EXPECT_EQ(surface.pixel(103, 210), 9);
    for (int y = 200; y <= 210; ++y) {
        EXPECT_EQ(count_pixels(surface, {90, y, 120, y}, 9), 1) << y;
    }
    EXPECT_EQ(count_pixels(surface, {0, 0, 1279, 1023}, 9), 11);

    surface.draw_line(300, 300, 300, 300, 5, 0x8000);
    EXPECT_EQ(surface.pixel(300, 300), 5);
    surface.draw_line(400, 400, 404, 404, 6, 0xFFFF);
    for (int i = 0; i <= 4; ++i) {
        EXPECT_EQ(surface.pixel(400 + i, 400 + i), 6);
    }
}

TEST(Surface, DrawLineSkipsThePartsOutsideTheSurface) {
    Surface surface(small_screen);
    surface.draw_line(-10, 50, 1100, 50, 3, 0xFFFF);
    EXPECT_EQ(count_pixels(surface, {0, 0, 1023, 767}, 3), 1024);
    surface.draw_line(0, 1e12, 5, 5, 4, 0xFFFF);  // far away: not drawn
    EXPECT_EQ(count_pixels(surface, {0, 0, 1023, 767}, 4), 0);
}

struct NumberCase {
    const char* name;
    void (*print)(TextScreen&);
    const char* expected;
};

class SurfaceNumbers : public ::testing::TestWithParam<NumberCase> {};

TEST_P(SurfaceNumbers, ShowTheirPrintedForms) {
    const NumberCase& c = GetParam();
    Surface surface(large_screen);
    fill_surface(surface, 4);
    surface.set_text_position(12, 30);
    surface.set_text_colours(10, 0);
    c.print(surface);
    const std::string expected = c.expected;
    EXPECT_EQ(surface.text_of_row(12).substr(29, expected.size() + 1), expected + " ");
    EXPECT_TRUE(text_shows(surface, 12, 30, expected, 10, 0));
    // Nothing beyond the printed cells.
    EXPECT_EQ(count_pixels_outside(surface, text_box(12, 30, 29 + static_cast<int>(expected.size())),
                                   4),
              1280 * 1024 - 8 * 16 * static_cast<int>(expected.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SurfaceNumbers,
    ::testing::Values(
        NumberCase{"PositiveInteger", [](TextScreen& s) { s.print_integer(42, false); }, " 42"},
        NumberCase{"NegativeInteger", [](TextScreen& s) { s.print_integer(-7, false); }, "-7"},
        NumberCase{"ZeroInteger", [](TextScreen& s) { s.print_integer(0, false); }, " 0"},
        NumberCase{"LowestShort", [](TextScreen& s) { s.print_short(-32768, false); }, "-32768"},
        NumberCase{"PositiveShort", [](TextScreen& s) { s.print_short(190, false); }, " 190"},
        NumberCase{"SingleWithFraction", [](TextScreen& s) { s.print_single(2.5f, false); }, " 2.5"},
        NumberCase{"SingleWholeNumber", [](TextScreen& s) { s.print_single(200.0f, false); }, " 200"},
        NumberCase{"SingleNegative", [](TextScreen& s) { s.print_single(-0.125f, false); }, "-0.125"},
        NumberCase{"SingleSevenDigits", [](TextScreen& s) { s.print_single(1234567.0f, false); },
                   " 1234567"}),
    [](const ::testing::TestParamInfo<NumberCase>& case_info) { return case_info.param.name; });

TEST(Surface, TextOfRowOutsideTheGridIsEmpty) {
    Surface surface(small_screen);
    EXPECT_EQ(surface.text_of_row(0), "");
    EXPECT_EQ(surface.text_of_row(49), "");
    EXPECT_EQ(surface.pixel(-1, 0), 0);
}

}  // namespace
}  // namespace stillmon
