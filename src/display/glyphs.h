#pragma once

#include <array>
#include <cstdint>

namespace stillmon {

// One 8x16 text cell: 16 rows from the top, the most significant bit the leftmost pixel.
using GlyphRows = std::array<std::uint8_t, 16>;

// Glyph of a byte as printed on the text grid: 0x20-0x7E and 0xA0-0xFF show GNU Unifont's
// glyph of that code point; every other byte is an empty cell (background only).
const GlyphRows& glyph_rows(unsigned char byte);

}  // namespace stillmon
