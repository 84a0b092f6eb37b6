#include "startup/supervisor_start.h"

#include <atomic>
#include <chrono>
#include <iostream>
#include <system_error>
#include <thread>

#include <gtest/gtest.h>

#include "display/surface.h"

namespace stillmon {
namespace {

std::thread failing(std::function<void()>) {
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
}

TEST(SupervisorStart, RunsTheBodyOnAThreadOfItsOwn) {
    Surface surface(large_screen);
    std::atomic<bool> ran{false};
    ASSERT_TRUE(start_supervisor_thread([&ran] { ran.store(true); }, surface));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!ran.load() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::yield();
    }
    EXPECT_TRUE(ran.load());
    EXPECT_EQ(surface.text_of_row(27), std::string(160, ' '));
}

TEST(SupervisorStart, AFailedStartIsShownAtRow27Column30) {
    Surface surface(large_screen);
    EXPECT_FALSE(start_supervisor_thread([] {}, surface, failing));
    EXPECT_EQ(surface.text_of_row(27).substr(29, 20), "ThreadCreate Error= ");
    EXPECT_EQ(surface.text_row(), 28);
    EXPECT_EQ(surface.text_column(), 1);
}

TEST(SupervisorStartDeathTest, AnyOtherFailedStartEndsTheProgramWithStatus0) {
    ProcessEnd process_end;
    const ThreadStarter start =
        ending_thread_starter(process_end, say_lines_on(std::cerr), failing);
    EXPECT_EXIT(start([] {}), testing::ExitedWithCode(0),
                "^stillmon: cannot start a thread: Resource temporarily unavailable\n$");
}

}  // namespace
}  // namespace stillmon
