#include "support/surface_probe.h"

#include "display/glyphs.h"

namespace stillmon::test_support {

PixelBox cell_box(int row, int column) { return text_box(row, column, column); }

PixelBox text_box(int row, int first_column, int last_column) {
    return {(first_column - 1) * cell_width_px, (row - 1) * cell_height_px,
            last_column * cell_width_px - 1, row * cell_height_px - 1};
}

int count_pixels(const Surface& surface, PixelBox box, int colour) {
    int count = 0;
    for (int y = box.top; y <= box.bottom; ++y) {
        for (int x = box.left; x <= box.right; ++x) {
            count += surface.pixel(x, y) == colour ? 1 : 0;
        }
    }
    return count;
}

int count_pixels_outside(const Surface& surface, PixelBox box, int colour) {
    const PixelBox whole{0, 0, surface.width() - 1, surface.height() - 1};
    return count_pixels(surface, whole, colour) - count_pixels(surface, box, colour);
}

bool box_is(const Surface& surface, PixelBox box, int colour) {
    const int area = (box.right - box.left + 1) * (box.bottom - box.top + 1);
    return count_pixels(surface, box, colour) == area;
}

::testing::AssertionResult cell_shows(const Surface& surface, int row, int column, char character,
                                      int foreground, int background) {
    const GlyphRows& glyph = glyph_rows(static_cast<unsigned char>(character));
    const PixelBox box = cell_box(row, column);
    for (int dy = 0; dy < cell_height_px; ++dy) {
        for (int dx = 0; dx < cell_width_px; ++dx) {
            const bool ink = ((glyph[static_cast<std::size_t>(dy)] >> (7 - dx)) & 1) != 0;
            const int expected = ink ? foreground : background;
            const int actual = surface.pixel(box.left + dx, box.top + dy);
            if (actual != expected) {
                return ::testing::AssertionFailure()
                       << "cell (" << row << ", " << column << ") for '" << character
                       << "': pixel (" << box.left + dx << ", " << box.top + dy << ") is "
                       << actual << ", expected " << expected;
            }
        }
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult text_shows(const Surface& surface, int row, int column,
                                      std::string_view text, int foreground, int background) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto result = cell_shows(surface, row, column + static_cast<int>(i), text[i], foreground,
                                 background);
        if (!result) {
            return result;
        }
    }
    return ::testing::AssertionSuccess();
}

void fill_surface(Surface& surface, int colour) {
    const int foreground = surface.foreground();
    const int background = surface.background();
    surface.set_text_colours(foreground, colour);
    surface.clear();
    surface.set_text_colours(foreground, background);
}

void put_text(std::string& line, int column, std::string_view text) {
    line.replace(static_cast<std::size_t>(column - 1), text.size(), text);
}

}  // namespace stillmon::test_support
