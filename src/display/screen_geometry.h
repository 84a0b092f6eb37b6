#pragma once

namespace stillmon {

// Window geometry, fixed once at start-up by the mode choice.
struct ScreenGeometry {
    int width;            // pixels per row
    int height;           // pixel rows
    int chart_left_edge;  // leftmost column of the scrolling history
    int text_rows;        // rows of the 8x16 text grid
    constexpr int text_columns() const { return width / 8; }
};

inline constexpr ScreenGeometry large_screen{1280, 1024, 95, 64};
inline constexpr ScreenGeometry small_screen{1024, 768, 95, 48};

inline constexpr int cell_width_px = 8;
inline constexpr int cell_height_px = 16;

}  // namespace stillmon
