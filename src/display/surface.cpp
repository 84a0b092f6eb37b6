#include "display/surface.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "display/glyphs.h"

namespace stillmon {

namespace {

// Lines whose ends lie further than this outside the surface are not walked at all: the
// system draws only the guide line, and a stray coordinate must not cost seconds of walking.
constexpr double line_reach_px = 1 << 20;

constexpr char blank_cell = ' ';

// Callers pass whole numbers; anything else is rounded to the nearest pixel, halves to even
// (the same rounding the whole system uses). Returns false for a coordinate off the range.
bool to_pixel_index(double coordinate, int limit, int& index) {
    const double rounded = std::nearbyint(coordinate);
    if (!(rounded >= 0.0 && rounded < static_cast<double>(limit))) {
        return false;  // also NaN
    }
    index = static_cast<int>(rounded);
    return true;
}

}  // namespace

Surface::Surface(ScreenGeometry geometry)
    : geometry_(geometry),
      pixels_(static_cast<std::size_t>(geometry.width) * static_cast<std::size_t>(geometry.height), 0),
      cells_(static_cast<std::size_t>(geometry.text_rows) *
                 static_cast<std::size_t>(geometry.text_columns()),
             blank_cell) {}

std::uint8_t Surface::pixel(int x, int y) const {
    if (x < 0 || x >= width() || y < 0 || y >= height()) {
        return 0;
    }
    return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width()) +
                   static_cast<std::size_t>(x)];
}

void Surface::clear() {
    std::fill(pixels_.begin(), pixels_.end(), static_cast<std::uint8_t>(background_));
    std::fill(cells_.begin(), cells_.end(), blank_cell);
    ++revision_;
}

void Surface::set_pixel(double x, double y, int colour) {
    int column = 0;
    int row = 0;
    if (!to_pixel_index(x, width(), column) || !to_pixel_index(y, height(), row)) {
        return;
    }
    put_pixel(column, row, static_cast<std::uint8_t>(colour));
}

void Surface::draw_line(double x1, double y1, double x2, double y2, int colour,
                        std::uint16_t style) {
    const auto within_reach = [](double value) {
        return std::isfinite(value) && std::fabs(value) <= line_reach_px;
    };
    if (!within_reach(x1) || !within_reach(y1) || !within_reach(x2) || !within_reach(y2)) {
        return;
    }
    auto x = static_cast<long>(std::nearbyint(x1));
    auto y = static_cast<long>(std::nearbyint(y1));
    const auto x_end = static_cast<long>(std::nearbyint(x2));
    const auto y_end = static_cast<long>(std::nearbyint(y2));
    const long dx = std::labs(x_end - x);
    const long dy = -std::labs(y_end - y);
    const long step_x = x < x_end ? 1 : -1;
    const long step_y = y < y_end ? 1 : -1;
    long error = dx + dy;
    const auto ink = static_cast<std::uint8_t>(colour);
    // Bresenham's walk visits both ends; the style bit of the n-th pixel walked is bit
    // 15 - n % 16, so the pattern starts with its most significant bit.
    for (unsigned step = 0;; ++step) {
        const unsigned bit = 15U - (step % 16U);
        if (((style >> bit) & 1U) != 0U && x >= 0 && x < width() && y >= 0 && y < height()) {
            put_pixel(static_cast<int>(x), static_cast<int>(y), ink);
        }
        if (x == x_end && y == y_end) {
            break;
        }
        const long doubled = 2 * error;
        if (doubled >= dy) {
            error += dy;
            x += step_x;
        }
        if (doubled <= dx) {
            error += dx;
            y += step_y;
        }
    }
}

void Surface::set_text_position(int row, int column) {
    const int new_row = row == 0 ? row_ : row;
    if (new_row < 1 || new_row > geometry_.text_rows || column < 1 ||
        column > geometry_.text_columns()) {
        return;
    }
    row_ = new_row;
    column_ = column;
}

void Surface::set_text_colours(int foreground, int background) {
    foreground_ = foreground;
    background_ = background;
}

void Surface::print(std::string_view text, bool end_line) {
    for (const char character : text) {
        paint_cell(static_cast<unsigned char>(character));
        if (++column_ > geometry_.text_columns()) {
            column_ = 1;
            next_row();
        }
    }
    if (end_line) {
        column_ = 1;
        next_row();
    }
}

std::string Surface::text_of_row(int row) const {
    if (row < 1 || row > geometry_.text_rows) {
        return {};
    }
    const auto columns = static_cast<std::size_t>(geometry_.text_columns());
    const auto first = cells_.begin() + static_cast<std::ptrdiff_t>(
                                            static_cast<std::size_t>(row - 1) * columns);
    return {first, first + static_cast<std::ptrdiff_t>(columns)};
}

void Surface::paint_cell(unsigned char byte) {
    // Each glyph row becomes eight pixels at once: ink where the font bit is set, paper
    // elsewhere, the leftmost pixel from the most significant bit.
    static constexpr std::array<std::uint64_t, 256> row_masks = [] {
        std::array<std::uint64_t, 256> masks{};
        for (std::size_t bits = 0; bits < masks.size(); ++bits) {
            std::array<std::uint8_t, 8> pixels{};
            for (std::size_t i = 0; i < 8; ++i) {
                pixels[i] = ((bits << i) & 0x80U) != 0 ? 0xFF : 0x00;
            }
            masks[bits] = std::bit_cast<std::uint64_t>(pixels);
        }
        return masks;
    }();
    constexpr std::uint64_t every_byte = 0x0101010101010101ULL;
    const std::uint64_t ink = every_byte * static_cast<std::uint8_t>(foreground_);
    const std::uint64_t paper = every_byte * static_cast<std::uint8_t>(background_);
    const auto stride = static_cast<std::size_t>(width());
    std::uint8_t* line = pixels_.data() +
                         static_cast<std::size_t>((row_ - 1) * cell_height_px) * stride +
                         static_cast<std::size_t>((column_ - 1) * cell_width_px);
    for (const std::uint8_t bits : glyph_rows(byte)) {
        const std::uint64_t mask = row_masks[bits];
        const std::uint64_t row_pixels = (ink & mask) | (paper & ~mask);
        std::memcpy(line, &row_pixels, sizeof row_pixels);
        line += stride;
    }
    cells_[static_cast<std::size_t>(row_ - 1) * static_cast<std::size_t>(geometry_.text_columns()) +
           static_cast<std::size_t>(column_ - 1)] = static_cast<char>(byte);
    ++revision_;
}

void Surface::next_row() {
    if (row_ < geometry_.text_rows) {
        ++row_;
    } else {
        scroll_up_one_row();
    }
}

void Surface::scroll_up_one_row() {
    const auto band = static_cast<std::size_t>(width()) * cell_height_px;
    std::copy(pixels_.begin() + static_cast<std::ptrdiff_t>(band), pixels_.end(), pixels_.begin());
    std::fill(pixels_.end() - static_cast<std::ptrdiff_t>(band), pixels_.end(),
              static_cast<std::uint8_t>(background_));
    const auto columns = static_cast<std::ptrdiff_t>(geometry_.text_columns());
    std::copy(cells_.begin() + columns, cells_.end(), cells_.begin());
    std::fill(cells_.end() - columns, cells_.end(), blank_cell);
    ++revision_;
}

}  // namespace stillmon
