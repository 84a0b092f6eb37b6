#include "display/screen_mode.h"

#include <cstdlib>

#include <gtest/gtest.h>

#include "support/environment_variable.h"

namespace stillmon {
namespace {

TEST(ScreenMode, OnlyTheConfiguredMachineNameTakesTheSmallWindow) {
    struct Case {
        std::string_view computer_name;
        int width;
        int height;
        int text_rows;
    };
    const Case cases[] = {
        {"STILL-1", 1024, 768, 48},   {"still-1", 1280, 1024, 64},  // case counts
        {"STILL-1 ", 1280, 1024, 64}, {"STILL-12", 1280, 1024, 64},
        {"STILL", 1280, 1024, 64},    {"", 1280, 1024, 64},  // not set
    };
    for (const auto& c : cases) {
        const ScreenGeometry geometry = choose_screen_geometry(c.computer_name, "STILL-1");
        EXPECT_EQ(geometry.width, c.width) << c.computer_name;
        EXPECT_EQ(geometry.height, c.height) << c.computer_name;
        EXPECT_EQ(geometry.text_rows, c.text_rows) << c.computer_name;
        EXPECT_EQ(geometry.chart_left_edge, 95);
    }
}

TEST(ScreenMode, TheBuildsMachineNameIsTheDefault) {
    EXPECT_EQ(choose_screen_geometry(STILLMON_SMALL_SCREEN_NAME).width, 1024);
    EXPECT_EQ(choose_screen_geometry(std::string(STILLMON_SMALL_SCREEN_NAME) + "x").width, 1280);
}

TEST(ScreenMode, ReadsTheMachineNameFromTheEnvironment) {
    const auto kept = test_support::set_environment_variable("COMPUTERNAME", "Bench-7");
    EXPECT_EQ(computer_name_from_environment(), "Bench-7");
    test_support::set_environment_variable("COMPUTERNAME", std::nullopt);
    EXPECT_EQ(computer_name_from_environment(), "");
    test_support::set_environment_variable("COMPUTERNAME", kept);
}

}  // namespace
}  // namespace stillmon
