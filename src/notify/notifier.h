#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "base/alarm_notice.h"
#include "base/thread_starter.h"
#include "notify/notice_sender.h"
#include "notify/retry_schedule.h"

namespace stillmon {

// Delivers notices to one target from a thread of its own, in the order they came, so that a
// slow or unreachable target holds up neither the cycle nor the other targets. The main
// thread only queues. A failed send is tried again on the schedule; the first failure of a
// stretch is said once ("stillmon: cannot notify NAME: why; retrying"), and so is its end
// ("stillmon: notifying NAME works again"). The queue holds at most `capacity` notices: past
// that the oldest are dropped, which is said once.
class Notifier {
  public:
    static constexpr std::size_t default_capacity = 1000;

    Notifier(std::unique_ptr<NoticeSender> sender, Say say, const ThreadStarter& start,
             RetrySchedule schedule = {}, std::size_t capacity = default_capacity);
    // Stops the thread, after the send in progress: the notices still queued are not sent.
    ~Notifier();
    Notifier(const Notifier&) = delete;
    Notifier& operator=(const Notifier&) = delete;

    void enqueue(const AlarmNotice& notice);

  private:
    using Clock = std::chrono::steady_clock;
    struct Queued {
        AlarmNotice notice;
        Clock::time_point made;
    };

    void run();
    // Tries until sent or given up; false when the notifier is stopping.
    bool deliver(const Queued& queued);
    // False when the notifier is stopping.
    bool wait_until(Clock::time_point when);

    std::unique_ptr<NoticeSender> sender_;
    Say say_;
    RetrySchedule schedule_;
    std::size_t capacity_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Queued> queue_;
    bool stopping_ = false;
    bool overflow_said_ = false;

    // The thread's own.
    int failures_ = 0;  // failed tries in a row, whatever notice they were for

    std::thread thread_;  // last: started once everything it uses is there
};

}  // namespace stillmon
