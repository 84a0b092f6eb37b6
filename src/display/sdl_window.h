#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "base/key_queue.h"
#include "display/chart_window.h"
#include "display/screen_geometry.h"

namespace stillmon {

// Opens the chart window: exactly the geometry's size, shown pixel for pixel without
// scaling, with the title cut to 127 characters. Keys typed into it go to `keys`, one text
// per key (see key_codes.h); its close control arrives as key::window_close. The window
// lives until the returned object is destroyed; one window per process, main thread only.
//
// Returns null when there is no display to show it on (no DISPLAY or WAYLAND_DISPLAY, video
// that SDL cannot start, a display that is only SDL's off-screen or dummy stand-in, or a
// window that cannot be made); then `why_not`, when given, says why.
std::unique_ptr<ChartWindow> open_sdl_window(const ScreenGeometry& geometry, std::string_view title,
                                             KeyQueue& keys, std::string* why_not);

}  // namespace stillmon
