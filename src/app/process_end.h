#pragma once

#include <atomic>
#include <mutex>

#include "link/device_link.h"
#include "logging/cycle_logs.h"

namespace stillmon {

// Every end of the process goes through here: the operator's quit (supervisor thread), a
// signal (signal thread), or the end of a replay (main thread). The serial link and both logs are
// closed first — a log write in progress completes before its file closes — and the terminal is
// given back; then the process ends at once, without unwinding the other threads.
class ProcessEnd {
  public:
    void set_link(DeviceLink* link) { link_.store(link); }
    void set_logs(CycleLogs* logs) { logs_.store(logs); }

    [[noreturn]] void close_all_and_exit(int status);

  private:
    std::mutex ending_;  // the first caller ends the process; any other waits for that
    std::atomic<DeviceLink*> link_{nullptr};
    std::atomic<CycleLogs*> logs_{nullptr};
};

}  // namespace stillmon
