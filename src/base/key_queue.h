#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <string>

namespace stillmon {

// Operator keys on their way from the keyboard (the window's events on the main thread, or
// the console reader's thread) to whoever reads them (the link supervisor). A key is a text
// of one character, or two for extended keys (see key_codes.h). Keys leave in the order
// they arrived, each exactly once.
class KeyQueue {
  public:
    using Clock = std::chrono::steady_clock;

    // An empty text is no key and is not queued.
    void push(std::string key);

    // The oldest key, or nothing when none is waiting; never blocks.
    std::optional<std::string> try_pop();

    // The oldest key, waiting for one until the deadline.
    std::optional<std::string> wait_pop(Clock::time_point deadline);

    std::size_t size() const;

  private:
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<std::string> keys_;
};

}  // namespace stillmon
