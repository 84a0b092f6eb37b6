#include "console/console_keys.h"

namespace stillmon {

// Windows runs always have a window, which takes the operator's keys: the console is not
// read, and its input counts as ended from the start.

ConsoleKeyReader::ConsoleKeyReader(KeyQueue& keys, int fd, const ThreadStarter&,
                                   std::function<void()> wake_reader)
    : keys_(keys), fd_(fd), wake_(std::move(wake_reader)), ended_(true) {}

ConsoleKeyReader::~ConsoleKeyReader() = default;

bool ConsoleKeyReader::ended() const {
    return true;
}

bool ConsoleKeyReader::wait_until_ended(Clock::time_point) const {
    return true;
}

bool console_keys_available() {
    return false;
}

void restore_console_mode() noexcept {}

}  // namespace stillmon
