#include "display/guide_line.h"

namespace stillmon {

void draw_guide_line(Surface& surface) {
    const double middle = surface.height() / 2;
    // The right end lies one pixel past the edge; the surface skips that pixel.
    surface.draw_line(0.0, middle, surface.width(), middle, guide_line_colour, guide_line_style);
}

}  // namespace stillmon
