#include "notify/child_process.h"

#include <gtest/gtest.h>

#include "system/ending_signals.h"

namespace stillmon {
namespace {

using namespace std::chrono_literals;

// The command sees its variables (one replacing the program's own) and its input, every way
// it can end is told apart, and one that runs too long is stopped without being waited for.
TEST(ChildProcess, RunsWithTheNoticeAndTellsHowItEnded) {
    // As stillmon does first: a command that ends before it reads its input must not end the
    // program that writes it (SIGPIPE), here the tests.
    ignore_closed_console();
    const auto shell = [](const char* script, std::chrono::seconds limit = 10s) {
        return run_child_process({"sh", "-c", script}, {{"STILLMON_STATE", "x"}, {"HOME", "y"}},
                                 "{\"alarm\":\"steam-hot\"}", limit);
    };
    const ChildEnd read = shell(R"(read -r input; test "$input" = '{"alarm":"steam-hot"}' &&
        test "$STILLMON_STATE$HOME" = xy && test -n "$PATH" && exit 3)");
    EXPECT_EQ(std::make_pair(read.how, read.code), std::make_pair(ChildEnd::How::exited, 3));
    const ChildEnd killed = shell("kill -9 $$");
    EXPECT_EQ(std::make_pair(killed.how, killed.code), std::make_pair(ChildEnd::How::signalled, 9));
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(shell("exec sleep 30", 1s).how, ChildEnd::How::stopped_at_limit);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);
    const ChildEnd missing = run_child_process({"/nonexistent/page-me"}, {}, "", 1s);
    EXPECT_EQ(std::make_pair(missing.how, missing.why),
              std::make_pair(ChildEnd::How::not_started, std::string("No such file or directory")));
}

}  // namespace
}  // namespace stillmon
