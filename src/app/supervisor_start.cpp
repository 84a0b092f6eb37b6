#include "app/supervisor_start.h"

#include <system_error>
#include <thread>

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
        screen.set_text_position(27, 30);
        screen.print("ThreadCreate Error= ", true);
        return false;
    }
}

}  // namespace stillmon
