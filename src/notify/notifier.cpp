#include "notify/notifier.h"

namespace stillmon {

Notifier::Notifier(std::unique_ptr<NoticeSender> sender, Say say, const ThreadStarter& start,
                   RetrySchedule schedule, std::size_t capacity)
    : sender_(std::move(sender)),
      say_(std::move(say)),
      schedule_(schedule),
      capacity_(capacity),
      thread_(start([this] { run(); })) {}

Notifier::~Notifier() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void Notifier::enqueue(const AlarmNotice& notice) {
    bool overflowed = false;
    {
        std::lock_guard lock(mutex_);
        if (queue_.size() >= capacity_) {
            queue_.pop_front();
            overflowed = !overflow_said_;
            overflow_said_ = true;
        }
        queue_.push_back({notice, Clock::now()});
    }
    changed_.notify_all();
    if (overflowed) {
        say_("stillmon: notices for " + sender_->name() +
             " come faster than it takes them; the oldest waiting are dropped");
    }
}

void Notifier::run() {
    while (true) {
        Queued next;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_) {
                return;
            }
            next = std::move(queue_.front());
            queue_.pop_front();
        }
        if (!deliver(next)) {
            return;
        }
    }
}

bool Notifier::deliver(const Queued& queued) {
    const auto give_up_at =
        queued.made + std::chrono::duration_cast<Clock::duration>(
                          std::chrono::duration<double>(schedule_.give_up_after_s));
    while (true) {
        const std::optional<std::string> failure = sender_->send(queued.notice);
        if (!failure) {
            if (failures_ > 0) {
                say_("stillmon: notifying " + sender_->name() + " works again");
            }
            failures_ = 0;
            return true;
        }
        if (failures_ == 0) {
            say_("stillmon: cannot notify " + sender_->name() + ": " + *failure + "; retrying");
        }
        ++failures_;
        const auto retry_at =
            Clock::now() + std::chrono::duration_cast<Clock::duration>(
                               std::chrono::duration<double>(schedule_.delay_after(failures_)));
        if (retry_at > give_up_at) {
            return true;  // the next notice is tried at once, and its failure not said again
        }
        if (!wait_until(retry_at)) {
            return false;
        }
    }
}

bool Notifier::wait_until(Clock::time_point when) {
    std::unique_lock lock(mutex_);
    return !changed_.wait_until(lock, when, [this] { return stopping_; });
}

}  // namespace stillmon
