#include "base/key_queue.h"

#include <utility>

namespace stillmon {

KeyQueue::KeyQueue(Say say_full) : say_full_(std::move(say_full)) {}

void KeyQueue::push(std::string key) {
    if (key.empty()) {
        return;
    }
    Say say_full;
    {
        std::lock_guard lock(mutex_);
        if (keys_.size() < capacity) {
            keys_.push_back(std::move(key));
        }
        if (keys_.size() == capacity) {
            say_full = std::exchange(say_full_, nullptr);
        }
    }
    if (say_full) {
        say_full("stillmon: keys come faster than they are carried out; while " +
                 std::to_string(capacity) +
                 " wait, the console is read no further and window keys are dropped");
    }
    arrived_.notify_all();
}

std::size_t KeyQueue::room() const {
    std::lock_guard lock(mutex_);
    return capacity - keys_.size();
}

void KeyQueue::hand_to(KeyReader reader) {
    {
        std::lock_guard lock(mutex_);
        owner_ = reader;
    }
    arrived_.notify_all();
}

std::optional<std::string> KeyQueue::pop_locked(KeyReader reader) {
    if (owner_ != reader || keys_.empty()) {
        return std::nullopt;
    }
    std::string key = std::move(keys_.front());
    keys_.pop_front();
    return key;
}

std::optional<std::string> KeyQueue::try_pop(KeyReader reader) {
    std::lock_guard lock(mutex_);
    return pop_locked(reader);
}

std::optional<std::string> KeyQueue::wait_pop(Clock::time_point deadline, KeyReader reader) {
    std::unique_lock lock(mutex_);
    arrived_.wait_until(lock, deadline,
                        [&] { return woken_ || (owner_ == reader && !keys_.empty()); });
    woken_ = false;
    return pop_locked(reader);
}

void KeyQueue::wake_waiting() {
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    arrived_.notify_all();
}

std::size_t KeyQueue::size() const {
    std::lock_guard lock(mutex_);
    return keys_.size();
}

}  // namespace stillmon
