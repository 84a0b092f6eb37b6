#pragma once

#include <unistd.h>

#include <chrono>
#include <functional>
#include <memory>

#include "base/key_queue.h"
#include "base/thread_starter.h"

namespace stillmon {

// Operator keys from the console, for runs without a window: standard input read in a thread
// of its own, every key it decodes queued. On a terminal the keys come one by one as
// pressed, without echo, while Ctrl+C still interrupts; the terminal is put back as it was
// when the reading ends. At end of input the thread ends: no more keys, and nothing left
// polling.
class ConsoleKeys {
  public:
    using Clock = std::chrono::steady_clock;

    virtual ~ConsoleKeys() = default;

    // True once the input has ended (end of file, an error, or nothing to read): no more
    // keys will come from it.
    virtual bool ended() const = 0;
    virtual bool wait_until_ended(Clock::time_point deadline) const = 0;
};

// Starts reading the keys of `fd`, which stays the caller's. A terminal that belongs to
// another process group's job (the program was started in the background) is not read at
// all, since reading it would stop the whole program. The reading thread comes from `start`.
// `wake`, when given, is called on that thread after it queued keys and when the input has
// ended, for a reader that sleeps elsewhere than on the key queue. Null where this system's
// console cannot give the operator's keys (Windows, where every run has its window).
std::unique_ptr<ConsoleKeys> start_console_keys(KeyQueue& keys, int fd = STDIN_FILENO,
                                                const ThreadStarter& start = start_thread,
                                                std::function<void()> wake = {});

// Puts a terminal that the console's keys switched to key-by-key input back into the mode
// it had; does nothing when none was switched. It is async-signal-safe, so the program's
// own signal handlers and exit paths that skip destructors can call it; it also runs by
// itself at exit().
void restore_console_mode() noexcept;

}  // namespace stillmon
