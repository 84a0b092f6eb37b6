#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

#include "link/device_link.h"
#include "logging/cycle_logs.h"

namespace stillmon {

// Every end of the process goes through here: the operator's quit (supervisor thread), a
// signal (signal thread), or the end of a replay (main thread). What must be written beside the
// logs while they are still open goes first (the journal's session end, with the exit status);
// then the serial link and both logs are closed — a log write in progress completes before its file
// closes — then whatever else asked to be closed (the MQTT broker is told "offline"), and the
// terminal is given back; then the process ends at once, without unwinding the other threads.
class ProcessEnd {
  public:
    void set_link(DeviceLink* link) { link_.store(link); }
    void set_logs(CycleLogs* logs) { logs_.store(logs); }
    // Any thread. A closer bounds its own wait: the process must still end promptly.
    void add_closer(std::function<void()> closer);
    // Any thread; run before the logs close, with the exit status. Bounds its own wait too.
    void before_logs_close(std::function<void(int status)> last_word);

    [[noreturn]] void close_all_and_exit(int status);

  private:
    std::mutex ending_;  // the first caller ends the process; any other waits for that
    std::atomic<DeviceLink*> link_{nullptr};
    std::atomic<CycleLogs*> logs_{nullptr};
    std::mutex closers_mutex_;
    std::vector<std::function<void()>> closers_;
    std::vector<std::function<void(int status)>> last_words_;
};

}  // namespace stillmon
