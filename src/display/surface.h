#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/text_screen.h"
#include "display/screen_geometry.h"

namespace stillmon {

struct PaletteColour {
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
};

// The 16 basic colours; the surface uses no other palette entry.
inline constexpr std::array<PaletteColour, 16> basic_palette{{
    {0, 0, 0},
    {0, 0, 170},
    {0, 170, 0},
    {0, 170, 170},
    {170, 0, 0},
    {170, 0, 170},
    {170, 85, 0},
    {170, 170, 170},
    {85, 85, 85},
    {85, 85, 255},
    {85, 255, 85},
    {85, 255, 255},
    {255, 85, 85},
    {255, 85, 255},
    {255, 255, 85},
    {255, 255, 255},
}};

// The chart window's content: an 8-bit indexed framebuffer with an 8x16 text grid drawn on
// the same pixels. All drawing happens on the main thread.
class Surface final : public TextScreen {
  public:
    explicit Surface(ScreenGeometry geometry);

    const ScreenGeometry& geometry() const { return geometry_; }
    int width() const { return geometry_.width; }
    int height() const { return geometry_.height; }

    // Palette indices, row-major from the top-left corner, width() per row.
    std::span<const std::uint8_t> pixels() const { return pixels_; }
    std::uint8_t pixel(int x, int y) const;

    // Fills the whole surface with the current background colour and empties the text
    // grid; the text cursor and colours stay as they are.
    void clear();
    // Whole-numbered coordinates (any fraction is rounded to the nearest pixel, halves to
    // even); a pixel outside the surface is skipped silently.
    void set_pixel(double x, double y, int colour);
    // The same for coordinates that are already whole numbers: the strip charts' path,
    // some 40 000 pixels per cycle.
    void plot_pixel(int x, int y, int colour) {
        if (x >= 0 && x < geometry_.width && y >= 0 && y < geometry_.height) {
            put_pixel(x, y, static_cast<std::uint8_t>(colour));
        }
    }
    // Both ends included (a Bresenham walk, ends rounded as in set_pixel). Along the line the
    // 16-bit style repeats every 16 pixels, bit 15 first; a clear bit leaves the pixel
    // unchanged. A line with an end more than 2^20 pixels away is not drawn.
    void draw_line(double x1, double y1, double x2, double y2, int colour, std::uint16_t style);

    void set_text_position(int row, int column) override;
    void set_text_colours(int foreground, int background) override;
    void print(std::string_view text, bool end_line) override;

    int text_row() const { return row_; }        // 1-based
    int text_column() const { return column_; }  // 1-based
    int foreground() const { return foreground_; }
    int background() const { return background_; }

    // The characters last printed into the cells of one text row (blank where nothing was
    // printed since the last clear), for checks of what the operator reads.
    std::string text_of_row(int row) const;

    // Grows with every change of the pixels, so a presenter can tell whether there is
    // anything new to show.
    std::uint64_t revision() const { return revision_; }

  private:
    void put_pixel(int x, int y, std::uint8_t colour) {
        std::uint8_t& target =
            pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(geometry_.width) +
                    static_cast<std::size_t>(x)];
        revision_ += target != colour ? 1U : 0U;
        target = colour;
    }
    void paint_cell(unsigned char byte);
    void next_row();
    void scroll_up_one_row();

    ScreenGeometry geometry_;
    std::vector<std::uint8_t> pixels_;
    std::vector<char> cells_;  // text_rows x text_columns
    int row_ = 1;
    int column_ = 1;
    int foreground_ = 15;
    int background_ = 0;
    std::uint64_t revision_ = 0;
};

}  // namespace stillmon
