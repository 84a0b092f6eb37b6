#include "startup/command_line.h"

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "system/free_memory.h"

namespace stillmon {
namespace {

TEST(CommandLine, OnlyASingleDigitOneToNineSelectsLiveMode) {
    struct Case {
        const char* port_argument;
        bool live;
    };
    const Case cases[] = {{"1", true},   {"3", true},   {"9", true},     {"0", false},
                          {"10", false}, {"12", false}, {"COM3", false}, {"", false},
                          {"a", false},  {" ", false},  {"-", false},    {"&", false}};
    for (const auto& c : cases) {
        EXPECT_EQ(selects_live_mode(c.port_argument), c.live) << '"' << c.port_argument << '"';
    }
}

TEST(CommandLine, LiveFileNamesUseABaseOfTwoToEighteenCharacters) {
    struct Case {
        const char* log_name;
        const char* text_log;
        const char* binary_log;
    };
    const Case cases[] = {
        {"Run", "Run3.dat", "Run3.bin"},
        {"R", "Debug_3.dat", "Debug_3.bin"},
        {"", "Debug_3.dat", "Debug_3.bin"},
        {"Ab", "Ab3.dat", "Ab3.bin"},
        {"EighteenCharacters", "EighteenCharacters3.dat", "EighteenCharacters3.bin"},
        {"NineteenCharactersX", "Debug_3.dat", "Debug_3.bin"},
    };
    for (const auto& c : cases) {
        const RunPlan plan = plan_run("3", c.log_name);
        EXPECT_EQ(plan.mode, RunMode::live);
        EXPECT_EQ(plan.text_log_name, c.text_log);
        EXPECT_EQ(plan.binary_log_name, c.binary_log);
        ASSERT_TRUE(plan.port);
        EXPECT_EQ(plan.port->port_number, 3);
    }
}

TEST(CommandLine, ReplayNamesTheLogWithoutTheArgumentTest) {
    const RunPlan plan = plan_run("COM3", "saved/Run3");
    EXPECT_EQ(plan.mode, RunMode::replay);
    EXPECT_EQ(plan.text_log_name, "saved/Run3.dat");
    EXPECT_EQ(plan.binary_log_name, "saved/Run3.bin");
    EXPECT_FALSE(plan.port);
    EXPECT_EQ(plan_run("", "").text_log_name, ".dat");
    EXPECT_EQ(plan_run("0", "R").text_log_name, "R.dat");
}

TEST(CommandLine, ConsoleReportLines) {
    EXPECT_EQ(free_memory_amount_line(1850ull * 1048576 + 1048575), " 1850 megabytes");
    EXPECT_EQ(free_memory_amount_line(0), " 0 megabytes");
    const RunPlan live = plan_run("3", "Run");
    EXPECT_EQ(port_opened_line(live, 0), "Com 3 Port opened 0");
    EXPECT_EQ(port_opened_line(live, 2), "Com 3 Port opened 2");
    EXPECT_EQ(program_line("./build/stillmon", live),
              "exe= ./build/stillmon, Command= 3,FileName= Run = Run");
    EXPECT_EQ(program_line("stillmon", plan_run("", "")), "exe= stillmon, Command= ,FileName=  = ");
}

TEST(FreeMemory, ReadsMemAvailableInBytes) {
    const char* meminfo =
        "MemTotal:       24000000 kB\nMemFree:         1000000 kB\n"
        "MemAvailable:    1894400 kB\nBuffers:  1 kB\n";
    EXPECT_EQ(available_memory_bytes(meminfo), 1894400ull * 1024);
    EXPECT_EQ(available_memory_bytes("MemTotal: 5 kB\n"), std::nullopt);
    EXPECT_EQ(available_memory_bytes("MemAvailable: kB\n"), std::nullopt);
    EXPECT_GT(read_available_memory_bytes(), 0u);
}

TEST(CommandLine, OptionsStandBeforeOrAfterThePositionalArguments) {
    using Arguments = std::vector<std::string>;
    struct Case {
        Arguments arguments;
        Arguments positional;
        std::optional<std::string> serve;
        std::string unknown;
    };
    const Case cases[] = {
        {{"3", "Run"}, {"3", "Run"}, std::nullopt, ""},
        {{"--serve", "8080", "3", "Run"}, {"3", "Run"}, "8080", ""},
        {{"3", "--serve", "0.0.0.0:80", "Run"}, {"3", "Run"}, "0.0.0.0:80", ""},
        {{"3", "Run", "--serve=9000"}, {"3", "Run"}, "9000", ""},
        {{"3", "-Run"}, {"3", "-Run"}, std::nullopt, ""},  // a later "-" is a log name
        {{"-x", "3"}, {"3"}, std::nullopt, "-x"},
        {{"3", "--bogus", "Run"}, {"3", "Run"}, std::nullopt, "--bogus"},
        {{"3", "--serve"}, {"3"}, std::nullopt, ""},  // without its value: not unknown
    };
    for (const auto& c : cases) {
        const CommandLine line = read_command_line(c.arguments);
        EXPECT_EQ(line.positional, c.positional) << c.arguments.front();
        EXPECT_EQ(line.serve, c.serve) << c.arguments.front();
        EXPECT_EQ(line.unknown_option, c.unknown) << c.arguments.front();
    }
    EXPECT_TRUE(read_command_line({"3", "Run", "-h"}).positional.size() == 3);
    EXPECT_TRUE(read_command_line({"--version"}).version);
    EXPECT_TRUE(read_command_line({"3", "--help"}).help);
}

}  // namespace
}  // namespace stillmon
