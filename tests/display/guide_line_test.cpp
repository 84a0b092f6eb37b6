#include "display/guide_line.h"

#include <gtest/gtest.h>

#include "support/surface_probe.h"

namespace stillmon {
namespace {

using test_support::count_pixels;
using test_support::count_pixels_outside;
using test_support::fill_surface;

struct GuideCase {
    const char* name;
    ScreenGeometry geometry;
    int expected_y;
};

class GuideLine : public ::testing::TestWithParam<GuideCase> {};

TEST_P(GuideLine, SetsEvenPixelsOfTheMiddleRowInLightGreenAndLeavesTheOddOnes) {
    const GuideCase& c = GetParam();
    Surface surface(c.geometry);
    fill_surface(surface, 7);
    draw_guide_line(surface);
    for (int x = 0; x < c.geometry.width; ++x) {
        ASSERT_EQ(surface.pixel(x, c.expected_y), x % 2 == 0 ? 10 : 7) << "x = " << x;
    }
    const test_support::PixelBox middle_row{0, c.expected_y, c.geometry.width - 1, c.expected_y};
    EXPECT_EQ(count_pixels(surface, middle_row, 10), c.geometry.width / 2);
    EXPECT_EQ(count_pixels_outside(surface, middle_row, 7),
              c.geometry.width * (c.geometry.height - 1));
}

INSTANTIATE_TEST_SUITE_P(Modes, GuideLine,
                         ::testing::Values(GuideCase{"Small", small_screen, 384},
                                           GuideCase{"Large", large_screen, 512}),
                         [](const ::testing::TestParamInfo<GuideCase>& case_info) {
                             return case_info.param.name;
                         });

TEST(GuideLine, LeavesTheTextCursorAndColoursAlone) {
    Surface surface(small_screen);
    surface.set_text_position(7, 9);
    surface.set_text_colours(14, 0);
    draw_guide_line(surface);
    EXPECT_EQ(surface.text_row(), 7);
    EXPECT_EQ(surface.text_column(), 9);
    EXPECT_EQ(surface.foreground(), 14);
}

}  // namespace
}  // namespace stillmon
