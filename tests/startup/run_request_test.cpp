#include "startup/run_request.h"

#include <sstream>

#include <gtest/gtest.h>

namespace stillmon {
namespace {

struct Answered {
    std::optional<RunRequest> request;
    int status = -1;
    std::string console;
    std::string errors;
};

Answered answer(const std::vector<std::string>& arguments) {
    std::ostringstream console;
    std::ostringstream errors;
    Answered answered;
    answered.request = read_run_request(
        arguments, {"stillmon", "1.2.3", DeviceNaming::usb_acm, console, say_lines_on(errors)},
        answered.status);
    answered.console = console.str();
    answered.errors = errors.str();
    return answered;
}

std::size_t count_of(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

TEST(RunRequest, AnswersWhatAsksForNoRunOnceAndWithItsStatus) {
    const Answered help = answer({"3", "--help"});
    EXPECT_FALSE(help.request);
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(count_of(help.console, "Usage: stillmon "), 1u);
    EXPECT_NE(help.console.find("/dev/ttyACM"), std::string::npos);
    EXPECT_EQ(help.errors, "");

    const Answered version = answer({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.console, "stillmon 1.2.3\n");

    for (const auto& [arguments, first_line] :
         {std::pair{std::vector<std::string>{"--bogus", "3"}, "stillmon: unknown option --bogus"},
          std::pair{std::vector<std::string>{"--serve", "nowhere:x"},
                    "stillmon: --serve takes [ADDRESS:]PORT, not nowhere:x"},
          std::pair{std::vector<std::string>{"3", "--serve"},
                    "stillmon: --serve needs [ADDRESS:]PORT"}}) {
        const Answered bad = answer(arguments);
        EXPECT_FALSE(bad.request);
        EXPECT_EQ(bad.status, 2);
        EXPECT_EQ(bad.console, "");
        EXPECT_EQ(bad.errors, std::string(first_line) +
                                  "\nUsage: stillmon [--serve [ADDRESS:]PORT] [--config FILE] "
                                  "[PORT [LOG]]  (--help for more)\n");
    }
}

TEST(RunRequest, AConfigurationFileWithAMistakeEndsTheRunBeforeItStarts) {
    const Answered missing = answer({"--config", "/nonexistent/still.toml", "3"});
    EXPECT_FALSE(missing.request);
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.errors,
              "stillmon: /nonexistent/still.toml: cannot be read: No such file or directory\n");
}

TEST(RunRequest, PlansTheRunItAsksFor) {
    const Answered live = answer({"--serve", "8080", "3", "Run"});
    ASSERT_TRUE(live.request);
    EXPECT_EQ(live.status, 0);
    EXPECT_EQ(live.request->plan.mode, RunMode::live);
    EXPECT_EQ(live.request->plan.text_log_name, "Run3.dat");
    EXPECT_EQ(live.request->serve->port, 8080);
    EXPECT_TRUE(live.request->any_positional);
    EXPECT_EQ(live.errors + answer({"0", "R"}).errors, "");  // a replay reads the log it names
    EXPECT_EQ(answer({"3", "R"}).errors,
              "stillmon: the log name \"R\" is not used (2 to 18 characters); logging to "
              "Debug_3.dat and Debug_3.bin\n");

    const Answered bare = answer({});
    ASSERT_TRUE(bare.request);
    EXPECT_EQ(bare.request->plan.mode, RunMode::replay);
    EXPECT_FALSE(bare.request->any_positional);
    EXPECT_FALSE(bare.request->serve);
}

}  // namespace
}  // namespace stillmon
