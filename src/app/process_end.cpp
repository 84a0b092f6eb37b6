#include "app/process_end.h"

#include <cstdio>
#include <cstdlib>

#include "console/console_keys.h"

namespace stillmon {

void ProcessEnd::add_closer(std::function<void()> closer) {
    const std::lock_guard lock(closers_mutex_);
    closers_.push_back(std::move(closer));
}

void ProcessEnd::before_logs_close(std::function<void(int status)> last_word) {
    const std::lock_guard lock(closers_mutex_);
    last_words_.push_back(std::move(last_word));
}

void ProcessEnd::close_all_and_exit(int status) {
    ending_.lock();  // never unlocked: the process ends below
    {
        const std::lock_guard lock(closers_mutex_);
        for (const std::function<void(int)>& say : last_words_) {
            say(status);
        }
    }
    if (DeviceLink* link = link_.load()) {
        link->close();
    }
    if (CycleLogs* logs = logs_.load()) {
        logs->close();
    }
    {
        const std::lock_guard lock(closers_mutex_);
        for (const std::function<void()>& close : closers_) {
            close();
        }
    }
    restore_console_mode();
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(status);
}

}  // namespace stillmon
