#include "display/redraw_request.h"

#include <gtest/gtest.h>

#include "support/surface_probe.h"

namespace stillmon {
namespace {

using test_support::box_is;
using test_support::count_pixels;

void scribble(Surface& surface) {
    surface.set_text_position(30, 50);
    surface.set_text_colours(14, 0);
    surface.print("typed 12", true);
    surface.set_pixel(600, 100, 11);
    surface.set_pixel(601, 512, 12);  // an odd pixel on the guide row
}

TEST(RedrawRequest, PendingRequestLeavesOnlyTheGuideLineAndDropsTheEntry) {
    OperatorState state;
    state.redraw_requested.store(true);
    state.append_entry("12");
    Surface surface(large_screen);
    scribble(surface);

    handle_redraw_request(state, surface);

    EXPECT_FALSE(state.redraw_requested.load());
    EXPECT_EQ(state.entry_text(), "");
    for (int y = 0; y < 1024; ++y) {
        for (int x = 0; x < 1280; ++x) {
            const int expected = y == 512 && x % 2 == 0 ? 10 : 0;
            ASSERT_EQ(surface.pixel(x, y), expected) << x << ", " << y;
        }
    }
    EXPECT_EQ(surface.text_of_row(30), std::string(160, ' '));
    // Colours are not reset: the next readout still prints in the last label's colour.
    EXPECT_EQ(surface.foreground(), 14);
}

TEST(RedrawRequest, NoRequestChangesNothing) {
    OperatorState state;
    state.append_entry("7");
    Surface surface(small_screen);
    scribble(surface);
    const std::uint64_t revision = surface.revision();

    handle_redraw_request(state, surface);

    EXPECT_EQ(state.entry_text(), "7");
    EXPECT_EQ(surface.revision(), revision);
    EXPECT_EQ(surface.pixel(600, 100), 11);
    EXPECT_EQ(count_pixels(surface, {0, 384, 1023, 384}, 10), 0);
    EXPECT_FALSE(box_is(surface, test_support::text_box(30, 50, 57), 0));
}

}  // namespace
}  // namespace stillmon
