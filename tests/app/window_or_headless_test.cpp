#include "app/window_or_headless.h"

#include <sstream>

#include <gtest/gtest.h>

namespace stillmon {
namespace {

TEST(WindowOrHeadless, WithoutADisplaySaysWhyAndTakesTheKeysFromTheConsole) {
    int pipe_fds[2];
    ASSERT_EQ(pipe(pipe_fds), 0);
    ASSERT_EQ(write(pipe_fds[1], "q", 1), 1);
    close(pipe_fds[1]);
    KeyQueue keys;
    std::ostringstream console;
    const WindowOrHeadless opened = open_window_or_headless(
        [](const ScreenGeometry&, std::string_view, KeyQueue&, std::string* why_not) {
            *why_not = "why";
            return std::unique_ptr<ChartWindow>();
        },
        large_screen, "still", keys, console, pipe_fds[0]);
    EXPECT_EQ(console.str(), "No display (why): running without a window; keys from the console\n");
    ASSERT_TRUE(opened.window && opened.headless());
    opened.console_keys->wait_until_ended(ConsoleKeyReader::Clock::now() + std::chrono::seconds(5));
    EXPECT_EQ(keys.try_pop(), "q");
    close(pipe_fds[0]);
}

}  // namespace
}  // namespace stillmon
