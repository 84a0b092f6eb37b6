#include "base/key_queue.h"

#include <utility>

namespace stillmon {

void KeyQueue::push(std::string key) {
    if (key.empty()) {
        return;
    }
    {
        std::lock_guard lock(mutex_);
        keys_.push_back(std::move(key));
    }
    arrived_.notify_one();
}

std::optional<std::string> KeyQueue::try_pop() {
    std::lock_guard lock(mutex_);
    if (keys_.empty()) {
        return std::nullopt;
    }
    std::string key = std::move(keys_.front());
    keys_.pop_front();
    return key;
}

std::optional<std::string> KeyQueue::wait_pop(Clock::time_point deadline) {
    std::unique_lock lock(mutex_);
    if (!arrived_.wait_until(lock, deadline, [this] { return !keys_.empty(); })) {
        return std::nullopt;
    }
    std::string key = std::move(keys_.front());
    keys_.pop_front();
    return key;
}

std::size_t KeyQueue::size() const {
    std::lock_guard lock(mutex_);
    return keys_.size();
}

}  // namespace stillmon
