#include "console/console_keys.h"

namespace stillmon {

// Windows runs always have a window, which takes the operator's keys: the console is not read.
std::unique_ptr<ConsoleKeys> start_console_keys(KeyQueue&, int, const ThreadStarter&,
                                                std::function<void()>) {
    return nullptr;
}

void restore_console_mode() noexcept {}

}  // namespace stillmon
