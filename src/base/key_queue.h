#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "base/error_lines.h"

namespace stillmon {

// Who the keys are for: the link supervisor, until the end-of-replay prompt claims them.
enum class KeyReader { supervisor, prompt };

// Operator keys on their way from the keyboard (the window's events on the main thread, or
// the console reader's thread) to whoever reads them (the link supervisor, or at the end of
// a replay the prompt). A key is a text of one character, or two for extended keys (see
// key_codes.h). Keys leave in the order they arrived, each exactly once, and only to the
// reader they are for.
class KeyQueue {
  public:
    using Clock = std::chrono::steady_clock;

    // Keys beyond this many waiting are dropped: a console fed by a program or a file that
    // never ends (`yes d | stillmon 3 Run`) must not fill the memory. No operator types that
    // far ahead.
    static constexpr std::size_t capacity = 256;

    // `say_full` is told the first time `capacity` keys wait, once for the queue's life.
    explicit KeyQueue(Say say_full = {});

    // An empty text is no key and is not queued; a key while `capacity` keys wait is
    // dropped.
    void push(std::string key);

    // How many more keys fit; a source that can wait (the console) reads no more than that.
    std::size_t room() const;

    // From now on the keys, those already queued included, are `reader`'s alone. Taken under
    // the queue's lock: no pop of another reader gets a key once this has returned.
    void hand_to(KeyReader reader);

    // The oldest key, or nothing when none is waiting or the keys are not `reader`'s; never
    // blocks.
    std::optional<std::string> try_pop(KeyReader reader = KeyReader::supervisor);

    // The oldest key for `reader`, waiting for one until the deadline or a wake_waiting().
    std::optional<std::string> wait_pop(Clock::time_point deadline,
                                        KeyReader reader = KeyReader::supervisor);

    // Any thread: ends the wait_pop under way, or else the next one, at once.
    void wake_waiting();

    std::size_t size() const;

  private:
    std::optional<std::string> pop_locked(KeyReader reader);

    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<std::string> keys_;
    KeyReader owner_ = KeyReader::supervisor;
    bool woken_ = false;
    Say say_full_;  // emptied once it has been said
};

}  // namespace stillmon
