#include "app/supervisor_start.h"

#include <system_error>
#include <thread>

#include "app/readouts.h"

namespace stillmon {

void start_detached_thread(std::function<void()> body) {
    std::thread(std::move(body)).detach();
}

bool start_supervisor_thread(std::function<void()> body, TextScreen& screen,
                             const ThreadStarter& start) {
    try {
        start(std::move(body));
        return true;
    } catch (const std::system_error&) {
        print_thread_start_error(screen);
        return false;
    }
}

}  // namespace stillmon
