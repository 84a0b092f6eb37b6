#include "notify/child_process.h"

#include <gtest/gtest.h>

namespace stillmon {
namespace {

using namespace std::chrono_literals;

ChildEnd run_shell(const std::string& script, std::chrono::seconds limit = 10s) {
    return run_child_process({"sh", "-c", script}, {{"STILLMON_STATE", "firing"}, {"HOME", "x"}},
                             "{\"alarm\":\"steam-hot\"}", limit);
}

// The command sees its variables (one of them replacing the program's own) and its input,
// and every way it can end is told apart.
TEST(ChildProcess, RunsWithTheNoticeAndTellsHowItEnded) {
    const ChildEnd read = run_shell(
        R"(read -r input; test "$input" = '{"alarm":"steam-hot"}' || exit 10
           test "$STILLMON_STATE" = firing || exit 11
           test "$HOME" = x || exit 12
           test -n "$PATH" || exit 13
           exit 3)");
    EXPECT_EQ(read.how, ChildEnd::How::exited);
    EXPECT_EQ(read.code, 3);

    const ChildEnd killed = run_shell("kill -9 $$");
    EXPECT_EQ(killed.how, ChildEnd::How::signalled);
    EXPECT_EQ(killed.code, 9);

    const auto started = std::chrono::steady_clock::now();
    const ChildEnd stopped = run_shell("exec sleep 30", 1s);
    EXPECT_EQ(stopped.how, ChildEnd::How::stopped_at_limit);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);

    const ChildEnd missing = run_child_process({"/nonexistent/page-me"}, {}, "", 1s);
    EXPECT_EQ(missing.how, ChildEnd::How::not_started);
    EXPECT_EQ(missing.why, "No such file or directory");
}

}  // namespace
}  // namespace stillmon
