#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "display/surface.h"

namespace stillmon::test_support {

// A rectangle of pixels, both corners included.
struct PixelBox {
    int left;
    int top;
    int right;
    int bottom;
};

// The pixels of text cell (row, column), 1-based.
PixelBox cell_box(int row, int column);
// The pixels of text row `row` over columns first..last.
PixelBox text_box(int row, int first_column, int last_column);

int count_pixels(const Surface& surface, PixelBox box, int colour);
// Pixels of the whole surface that have the colour but lie outside the box.
int count_pixels_outside(const Surface& surface, PixelBox box, int colour);
bool box_is(const Surface& surface, PixelBox box, int colour);

// Whether the cell shows the glyph of `character` exactly: its set bits in `foreground`,
// every other pixel of the cell in `background`.
::testing::AssertionResult cell_shows(const Surface& surface, int row, int column, char character,
                                      int foreground, int background);
// The same for a whole text from (row, column) on, within one row.
::testing::AssertionResult text_shows(const Surface& surface, int row, int column,
                                      std::string_view text, int foreground, int background);

// Fills the surface with one colour and leaves the text colours as they were.
void fill_surface(Surface& surface, int colour);

// `text` written over `line` from 1-based `column` on, as a text row would show it.
void put_text(std::string& line, int column, std::string_view text);

}  // namespace stillmon::test_support
