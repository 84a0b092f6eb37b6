#include "startup/supervisor_start.h"

#include <system_error>
#include <utility>

#include "app/readouts.h"

namespace stillmon {

bool start_supervisor_thread(std::function<void()> body, TextScreen& screen,
                             const ThreadStarter& start) {
    try {
        start(std::move(body)).detach();
        return true;
    } catch (const std::system_error&) {
        print_thread_start_error(screen);
        return false;
    }
}

ThreadStarter ending_thread_starter(ProcessEnd& process_end, Say say, ThreadStarter start) {
    return
        [&process_end, say = std::move(say), start = std::move(start)](std::function<void()> body) {
            try {
                return start(std::move(body));
            } catch (const std::system_error& error) {
                say("stillmon: cannot start a thread: " + error.code().message());
                process_end.close_all_and_exit(0);
            }
        };
}

}  // namespace stillmon
