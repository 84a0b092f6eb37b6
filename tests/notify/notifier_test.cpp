#include "notify/notifier.h"

#include <condition_variable>
#include <mutex>
#include <vector>

#include <gtest/gtest.h>

namespace stillmon {
namespace {

using Texts = std::vector<std::string>;

// A target that refuses as many tries as it is told to and can hold a try, as a slow server
// holds a request; it records the tries, the deliveries and what the notifier said.
class FakeTarget final : public NoticeSender {
  public:
    std::optional<std::string> send(const AlarmNotice& notice) override {
        std::unique_lock lock(mutex_);
        tries.push_back(notice.alarm);
        changed_.notify_all();
        changed_.wait(lock, [this] { return !held; });
        if (refusals-- > 0) {
            return "refused";
        }
        delivered.push_back(notice.alarm);
        changed_.notify_all();
        return std::nullopt;
    }
    const std::string& name() const override { return name_; }
    Say say() {
        return [this](std::string_view line) { change([&] { said.emplace_back(line); }); };
    }
    template <typename Change>
    void change(Change apply) {
        std::lock_guard lock(mutex_);
        apply();
        changed_.notify_all();
    }
    // The recorded texts once `enough` holds of them (after 5 s at most).
    Texts wait_for(Texts FakeTarget::*texts, std::size_t enough) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::seconds(5),
                          [&] { return (this->*texts).size() >= enough; });
        return this->*texts;
    }

    Texts tries, delivered, said;
    int refusals = 0;
    bool held = false;

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::string name_ = "http://example/hook";
};

AlarmNotice named(std::string alarm) {
    AlarmNotice notice;
    notice.alarm = std::move(alarm);
    return notice;
}

// A notifier on a fast schedule, its target refusing the first `refusals` tries.
struct Delivery {
    explicit Delivery(int refusals, RetrySchedule schedule = {0.005, 0.02, 5.0},
                      std::size_t capacity = 10)
        : notifier(std::move(owned), fake.say(), start_thread, schedule, capacity) {
        fake.refusals = refusals;
    }
    std::unique_ptr<FakeTarget> owned = std::make_unique<FakeTarget>();
    FakeTarget& fake = *owned;
    Notifier notifier;
};

// A target that fails for a while gets every notice in order once it answers again, and the
// trouble is said once, with its end, however many tries it took.
TEST(Notifier, RetriesInOrderAndSaysTheTroubleOnce) {
    Delivery delivery(4);
    for (const char* alarm : {"a", "b", "c"}) {
        delivery.notifier.enqueue(named(alarm));
    }
    EXPECT_EQ(delivery.fake.wait_for(&FakeTarget::delivered, 3), (Texts{"a", "b", "c"}));
    EXPECT_EQ(delivery.fake.wait_for(&FakeTarget::said, 2),
              (Texts{"stillmon: cannot notify http://example/hook: refused; retrying",
                     "stillmon: notifying http://example/hook works again"}));
}

// A notice that could not be delivered in time is given up; the next one is tried at once.
TEST(Notifier, GivesUpANoticeTooOldToMatter) {
    Delivery delivery(1, {0.005, 0.01, 0.0});
    delivery.notifier.enqueue(named("old"));
    delivery.notifier.enqueue(named("new"));
    EXPECT_EQ(delivery.fake.wait_for(&FakeTarget::delivered, 1), Texts{"new"});
    EXPECT_EQ(delivery.fake.wait_for(&FakeTarget::tries, 2), (Texts{"old", "new"}));
}

// While the target holds a request, the queue keeps the newest notices and says once that
// the oldest went.
TEST(Notifier, AFullQueueDropsTheOldestAndSaysItOnce) {
    Delivery delivery(0, {}, 2);
    delivery.fake.change([&] { delivery.fake.held = true; });
    delivery.notifier.enqueue(named("in flight"));
    delivery.fake.wait_for(&FakeTarget::tries, 1);
    for (const char* alarm : {"1", "2", "3", "4"}) {
        delivery.notifier.enqueue(named(alarm));
    }
    delivery.fake.change([&] { delivery.fake.held = false; });
    EXPECT_EQ(delivery.fake.wait_for(&FakeTarget::delivered, 3), (Texts{"in flight", "3", "4"}));
    EXPECT_EQ(delivery.fake.wait_for(&FakeTarget::said, 1),
              Texts{"stillmon: notices for http://example/hook come faster than it takes them; "
                    "the oldest waiting are dropped"});
}

}  // namespace
}  // namespace stillmon
