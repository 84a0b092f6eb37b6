#pragma once

#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "base/key_queue.h"
#include "base/thread_starter.h"

namespace stillmon {

// Operator keys from the console, for runs without a window: reads a file descriptor
// (standard input) in a thread of its own and queues every key it decodes. On a terminal
// the keys come one by one as pressed, without echo, while Ctrl+C still interrupts; the
// terminal is put back as it was when the reader ends. At end of input the thread ends:
// no more keys, and nothing left polling.
class ConsoleKeyReader {
  public:
    using Clock = std::chrono::steady_clock;

    // Starts reading at once. The descriptor stays the caller's. A terminal that belongs to
    // another process group's job (the program was started in the background) is not read at
    // all, since reading it would stop the whole program. The reading thread comes from
    // `start`. `wake`, when given, is called on that thread after it queued keys and when the
    // input has ended, for a reader that sleeps elsewhere than on the key queue.
    explicit ConsoleKeyReader(KeyQueue& keys, int fd = STDIN_FILENO,
                              const ThreadStarter& start = start_thread,
                              std::function<void()> wake = {});
    ~ConsoleKeyReader();

    ConsoleKeyReader(const ConsoleKeyReader&) = delete;
    ConsoleKeyReader& operator=(const ConsoleKeyReader&) = delete;

    // True once the input has ended (end of file, an error, or nothing to read): no more
    // keys will come from it.
    bool ended() const;
    bool wait_until_ended(Clock::time_point deadline) const;

  private:
    void read_until_end();
    void mark_ended();
    void wake_reader() const;

    KeyQueue& keys_;
    int fd_;
    std::function<void()> wake_;
    int wake_read_fd_ = -1;
    int wake_write_fd_ = -1;
    mutable std::mutex mutex_;
    mutable std::condition_variable ended_changed_;
    bool ended_ = false;
    std::thread thread_;
};

// Whether this system's console can give the operator's keys, so that a run may go on
// without a window.
bool console_keys_available();

// Puts a terminal that a ConsoleKeyReader switched to key-by-key input back into the mode
// it had; does nothing when none was switched. It is async-signal-safe, so the program's
// own signal handlers and exit paths that skip destructors can call it; it also runs by
// itself at exit().
void restore_console_mode() noexcept;

}  // namespace stillmon
