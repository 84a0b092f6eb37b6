#pragma once

#include <unistd.h>

#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "base/key_queue.h"
#include "base/thread_starter.h"
#include "console/console_keys.h"
#include "display/chart_window.h"
#include "display/screen_geometry.h"

namespace stillmon {

// Where the chart is shown and where the operator's keys come from.
struct WindowOrHeadless {
    // Null only where the console cannot give the keys and no window opened: the run cannot
    // go on then, for why_no_window.
    std::unique_ptr<ChartWindow> window;
    std::unique_ptr<ConsoleKeys> console_keys;  // only without a window
    std::string why_no_window;

    bool headless() const { return console_keys != nullptr; }
};

// Opens the chart window. Without a display, where the console can give the keys, it says so
// on `console`, as one line "No display (<why>): running without a window; keys from the
// console", and goes on with a window that shows nothing and the keys read from `console_fd`
// on a thread from `start`. Elsewhere it returns no window at all.
WindowOrHeadless open_window_or_headless(const WindowOpener& open_window,
                                         const ScreenGeometry& geometry, std::string_view title,
                                         KeyQueue& keys, std::ostream& console,
                                         int console_fd = STDIN_FILENO,
                                         const ThreadStarter& start = start_thread);

}  // namespace stillmon
