#include "startup/window_or_headless.h"

namespace stillmon {

WindowOrHeadless open_window_or_headless(const WindowOpener& open_window,
                                         const ScreenGeometry& geometry, std::string_view title,
                                         KeyQueue& keys, std::ostream& console, int console_fd,
                                         const ThreadStarter& start) {
    std::string why_not;
    WindowOrHeadless opened{open_window(geometry, title, keys, &why_not), nullptr, {}};
    if (opened.window) {
        return opened;
    }
    auto headless = std::make_unique<HeadlessChartWindow>();
    // The main thread sleeps in the window's wait: console keys end it as window keys do.
    opened.console_keys =
        start_console_keys(keys, console_fd, start, [window = headless.get()] { window->wake(); });
    if (!opened.console_keys) {
        opened.why_no_window = why_not;
        return opened;
    }
    console << "No display (" << why_not << "): running without a window; keys from the console"
            << std::endl;
    opened.window = std::move(headless);
    return opened;
}

}  // namespace stillmon
