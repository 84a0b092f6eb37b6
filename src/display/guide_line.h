#pragma once

#include "display/surface.h"

namespace stillmon {

inline constexpr int guide_line_colour = 10;
inline constexpr std::uint16_t guide_line_style = 0xAAAA;

// The dotted line across the middle of the window, which is also the middle of every
// channel's chart range: every even x on row height / 2 in colour 10, odd x left as they are.
void draw_guide_line(Surface& surface);

}  // namespace stillmon
