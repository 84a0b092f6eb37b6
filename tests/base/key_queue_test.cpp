#include "base/key_queue.h"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace stillmon {
namespace {

using namespace std::chrono_literals;

TEST(KeyQueue, GivesKeysOnceEachInArrivalOrder) {
    KeyQueue keys;
    const std::vector<std::string> pushed{"q", "\xFFH", "\r", "Q", "\xFF\x86"};
    for (const auto& key : pushed) {
        keys.push(key);
    }
    std::vector<std::string> popped;
    while (auto key = keys.try_pop()) {
        popped.push_back(*key);
    }
    EXPECT_EQ(popped, pushed);
    EXPECT_FALSE(keys.try_pop().has_value());
}

TEST(KeyQueue, TryPopTakesOneKeyPerCall) {
    KeyQueue keys;
    keys.push("1");
    keys.push("2");
    EXPECT_EQ(keys.try_pop(), "1");
    EXPECT_EQ(keys.size(), 1u);
}

TEST(KeyQueue, IgnoresEmptyTexts) {
    KeyQueue keys;
    keys.push("");
    EXPECT_EQ(keys.size(), 0u);
    EXPECT_FALSE(keys.try_pop().has_value());
}

TEST(KeyQueue, WaitPopReturnsNothingAtTheDeadline) {
    KeyQueue keys;
    const auto deadline = KeyQueue::Clock::now() + 20ms;
    EXPECT_FALSE(keys.wait_pop(deadline).has_value());
    EXPECT_GE(KeyQueue::Clock::now(), deadline);
}

TEST(KeyQueue, WaitPopWakesForAKeyFromAnotherThread) {
    KeyQueue keys;
    std::thread typist([&keys] { keys.push("x"); });
    const auto key = keys.wait_pop(KeyQueue::Clock::now() + 10s);
    typist.join();
    EXPECT_EQ(key, "x");
}

TEST(KeyQueue, KeysFromSeveralThreadsAllArriveOnce) {
    KeyQueue keys;
    constexpr int per_thread = 100;  // together within the capacity: none is dropped
    std::vector<std::thread> typists;
    for (const char* text : {"a", "b"}) {
        typists.emplace_back([&keys, text] {
            for (int i = 0; i < per_thread; ++i) {
                keys.push(text);
            }
        });
    }
    int a = 0;
    int b = 0;
    for (int received = 0; received < 2 * per_thread; ++received) {
        const auto key = keys.wait_pop(KeyQueue::Clock::now() + 10s);
        ASSERT_TRUE(key.has_value()) << "after " << received << " keys";
        (*key == "a" ? a : b) += 1;
    }
    for (auto& typist : typists) {
        typist.join();
    }
    EXPECT_EQ(a, per_thread);
    EXPECT_EQ(b, per_thread);
    EXPECT_FALSE(keys.try_pop().has_value());
}

// Once the prompt has claimed the keys, a supervisor that keeps popping takes none of them.
TEST(KeyQueue, OnceThePromptHasClaimedTheKeysTheSupervisorGetsNone) {
    KeyQueue keys;
    std::atomic<bool> done{false};
    std::atomic<int> pops{0};
    std::thread supervisor([&] {
        while (!done.load()) {
            keys.wait_pop(KeyQueue::Clock::now() + 1ms, KeyReader::supervisor);
            ++pops;
        }
    });
    const auto eventually = [](const auto& condition) {
        const auto give_up = KeyQueue::Clock::now() + 10s;
        while (!condition() && KeyQueue::Clock::now() < give_up) {
            std::this_thread::yield();
        }
    };
    keys.push("s");
    eventually([&] { return keys.size() == 0; });  // taken by the supervisor
    keys.hand_to(KeyReader::prompt);
    keys.push("p");
    const int seen = pops.load();
    eventually([&] { return pops.load() > seen + 1; });  // a whole pop since the key came
    done.store(true);
    supervisor.join();
    EXPECT_EQ(keys.try_pop(KeyReader::prompt), "p");
}

}  // namespace
}  // namespace stillmon
