#include "notify/notifier.h"

#include <condition_variable>
#include <mutex>
#include <vector>

#include <gtest/gtest.h>

namespace stillmon {
namespace {

using namespace std::chrono_literals;

// A target that refuses as many tries as it is told to, and records every try; a try can be
// held until the test lets it go, as a slow server holds a request.
class FakeTarget final : public NoticeSender {
  public:
    std::optional<std::string> send(const AlarmNotice& notice) override {
        std::unique_lock lock(mutex_);
        tries_.push_back(notice.alarm);
        changed_.notify_all();
        changed_.wait(lock, [this] { return !hold_; });
        if (refusals_ > 0) {
            --refusals_;
            return "refused";
        }
        delivered_.push_back(notice.alarm);
        changed_.notify_all();
        return std::nullopt;
    }
    const std::string& name() const override { return name_; }

    void refuse(int tries) {
        std::lock_guard lock(mutex_);
        refusals_ = tries;
    }
    void hold(bool held) {
        std::lock_guard lock(mutex_);
        hold_ = held;
        changed_.notify_all();
    }
    // Waits (at most 5 s) until `count` notices are delivered; returns those delivered.
    std::vector<std::string> delivered(std::size_t count) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, 5s, [&] { return delivered_.size() >= count; });
        return delivered_;
    }
    std::size_t wait_for_tries(std::size_t count) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, 5s, [&] { return tries_.size() >= count; });
        return tries_.size();
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> tries_;
    std::vector<std::string> delivered_;
    int refusals_ = 0;
    bool hold_ = false;
    std::string name_ = "http://example/hook";
};

AlarmNotice named(std::string alarm) {
    AlarmNotice notice;
    notice.alarm = std::move(alarm);
    notice.state = "firing";
    return notice;
}

struct Said {
    std::mutex mutex;
    std::vector<std::string> lines;
    NoticeSay say() {
        return [this](std::string_view line) {
            std::lock_guard lock(mutex);
            lines.emplace_back(line);
        };
    }
    std::vector<std::string> all() {
        std::lock_guard lock(mutex);
        return lines;
    }
};

constexpr RetrySchedule quick{0.005, 0.02, 5.0};

TEST(RetrySchedule, DoublesFromASecondUpToAMinute) {
    const RetrySchedule schedule;
    std::vector<double> delays;
    for (const int failures : {1, 2, 3, 6, 7, 100}) {
        delays.push_back(schedule.delay_after(failures));
    }
    EXPECT_EQ(delays, (std::vector<double>{1, 2, 4, 32, 60, 60}));
}

// A target that fails for a while gets every notice in order once it answers again, and the
// trouble is said once, with its end, however many tries it took.
TEST(Notifier, RetriesInOrderAndSaysTheTroubleOnce) {
    auto target = std::make_unique<FakeTarget>();
    FakeTarget& fake = *target;
    fake.refuse(4);
    Said said;
    Notifier notifier(std::move(target), said.say(), start_thread, quick);
    for (const char* alarm : {"a", "b", "c"}) {
        notifier.enqueue(named(alarm));
    }
    EXPECT_EQ(fake.delivered(3), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(said.all(), (std::vector<std::string>{
                              "stillmon: cannot notify http://example/hook: refused; retrying",
                              "stillmon: notifying http://example/hook works again"}));
}

// A notice that could not be delivered in time is given up; the next one is tried at once.
TEST(Notifier, GivesUpANoticeTooOldToMatter) {
    auto target = std::make_unique<FakeTarget>();
    FakeTarget& fake = *target;
    fake.refuse(1);
    Said said;
    Notifier notifier(std::move(target), said.say(), start_thread, {0.005, 0.01, 0.0});
    notifier.enqueue(named("old"));
    notifier.enqueue(named("new"));
    EXPECT_EQ(fake.delivered(1), std::vector<std::string>{"new"});
    EXPECT_EQ(fake.wait_for_tries(2), 2u);
}

// While the target holds a request, the queue keeps the newest notices and says once that
// the oldest went.
TEST(Notifier, AFullQueueDropsTheOldestAndSaysItOnce) {
    auto target = std::make_unique<FakeTarget>();
    FakeTarget& fake = *target;
    fake.hold(true);
    Said said;
    Notifier notifier(std::move(target), said.say(), start_thread, quick, 2);
    notifier.enqueue(named("in flight"));
    fake.wait_for_tries(1);
    for (const char* alarm : {"1", "2", "3", "4"}) {
        notifier.enqueue(named(alarm));
    }
    fake.hold(false);
    EXPECT_EQ(fake.delivered(3), (std::vector<std::string>{"in flight", "3", "4"}));
    EXPECT_EQ(said.all(), std::vector<std::string>{
                              "stillmon: notices for http://example/hook come faster than it "
                              "takes them; the oldest waiting are dropped"});
}

}  // namespace
}  // namespace stillmon
