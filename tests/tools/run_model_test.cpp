#include "stillsim/run_model.h"

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "base/channel_table.h"
#include "base/telemetry_frame.h"

namespace stillmon::stillsim {
namespace {

double celsius(std::int16_t raw) {
    return raw / 16.0;
}
int valve_of(const TelemetryFrame& frame) {
    return decode_valve_element(frame[element::valve]);
}

// The first channel whose raw value lies outside its chart's range, as a text; empty when
// every channel is inside.
std::string outside_chart_range(const TelemetryFrame& frame) {
    for (int channel = 0; channel < 15; ++channel) {
        const Channel& c = channel_table[static_cast<std::size_t>(channel)];
        const int raw = frame[channel];
        if (raw < c.range_low * c.divisor || raw > c.range_high * c.divisor) {
            return std::string(c.name) + " raw " + std::to_string(raw);
        }
    }
    const int valve = valve_of(frame);
    const Channel& v = channel_table[element::valve];
    if (valve < v.range_low || valve > v.range_high) {
        return "Valve " + std::to_string(valve);
    }
    return {};
}

struct Scenario {
    const char* name;
    std::vector<std::pair<double, std::vector<std::uint8_t>>> commands;  // at run time, bytes
    double length_s;
};

std::vector<std::uint8_t> repeated(std::uint8_t byte, int times) {
    return std::vector<std::uint8_t>(static_cast<std::size_t>(times), byte);
}

TEST(RunModel, EveryChannelStaysInsideItsChartRangeForWholeRuns) {
    const Scenario scenarios[] = {
        {"plain run", {}, 8 * 3600.0},
        {"valve wide open", {{0.0, repeated(command::valve_up, 12)}}, 8 * 3600.0},
        {"valve shut, then wide open",
         {{0.0, repeated(command::valve_down, 8)}, {3 * 3600.0, repeated(command::valve_up, 20)}},
         8 * 3600.0},
        {"lowest target", {{0.0, repeated(command::target_down, 200)}}, 8 * 3600.0},
        {"highest target", {{0.0, repeated(command::target_up, 200)}}, 8 * 3600.0},
        {"heating switched off and on",
         {{1800.0, {command::heating_off}},
          {2400.0, {command::heating_on}},
          {7200.0, {command::heating_off}},
          {9000.0, {command::heating_on}}},
         8 * 3600.0},
        {"heating back on after the end, valve wide open",
         {{5 * 3600.0, repeated(command::valve_up, 12)}, {5 * 3600.0, {command::heating_on}}},
         14 * 3600.0},
    };
    for (const std::uint32_t seed : {1u, 2u}) {
        for (const auto& scenario : scenarios) {
            RunModel model(RunSettings{12 * 3600.0, seed});
            std::size_t next_command = 0;
            std::string first_problem;
            for (double t = 0.0; t <= scenario.length_s && first_problem.empty(); t += 10.0) {
                model.advance_to(t);
                while (next_command < scenario.commands.size() &&
                       scenario.commands[next_command].first <= t) {
                    for (const std::uint8_t byte : scenario.commands[next_command].second) {
                        model.apply_command(byte);
                    }
                    ++next_command;
                }
                const std::string problem = outside_chart_range(model.next_frame());
                if (!problem.empty()) {
                    first_problem = problem + " at " + std::to_string(t) + " s";
                }
            }
            EXPECT_EQ(first_problem, "") << scenario.name << ", seed " << seed;
        }
    }
}

TEST(RunModel, RunHeatsUpBoilsAndEndsWithRisingSteam) {
    RunModel model(RunSettings{12 * 3600.0, 1});
    double boiling_started_s = -1.0;
    double tank_when_boiling_c = 0.0;
    double hottest_tank_c = 0.0;
    double hottest_steam_c = 0.0;
    double coolest_running_steam_c = 200.0;
    double hottest_running_steam_c = 0.0;
    double run_finished_s = -1.0;
    for (double t = 0.0; t <= 6 * 3600.0; t += 10.0) {
        model.advance_to(t);
        const TelemetryFrame frame = model.next_frame();
        const double tank_c = celsius(frame[element::tank]);
        const double steam_c = celsius(frame[element::steam]);
        if (boiling_started_s < 0.0 && steam_c > 40.0) {
            boiling_started_s = t;
            tank_when_boiling_c = tank_c;
        }
        // Ten minutes after boiling starts the column runs steadily until the tails come.
        if (boiling_started_s >= 0.0 && t > boiling_started_s + 600.0 &&
            model.state().alcohol_left >= 0.3) {
            coolest_running_steam_c = std::min(coolest_running_steam_c, steam_c);
            hottest_running_steam_c = std::max(hottest_running_steam_c, steam_c);
        }
        hottest_tank_c = std::max(hottest_tank_c, tank_c);
        hottest_steam_c = std::max(hottest_steam_c, steam_c);
        if (run_finished_s < 0.0 && model.state().run_finished) {
            run_finished_s = t;
        }
    }
    EXPECT_GT(boiling_started_s, 10 * 60.0);
    EXPECT_LT(boiling_started_s, 30 * 60.0);
    EXPECT_NEAR(tank_when_boiling_c, 90.0, 0.5);
    EXPECT_GE(coolest_running_steam_c, 78.2);
    EXPECT_LE(hottest_running_steam_c, 80.1);
    EXPECT_GE(hottest_tank_c, 98.5);
    EXPECT_LE(hottest_tank_c, 99.1);
    EXPECT_GE(hottest_steam_c, end_of_run_steam_c - 0.5);
    EXPECT_GT(run_finished_s, 2 * 3600.0);
    EXPECT_LT(run_finished_s, 5 * 3600.0);
    EXPECT_GT(model.state().volume_l, 1.5);
    EXPECT_LT(model.state().volume_l, 3.0);
}

// A model an hour into the run: boiling, product running, some volume collected.
RunModel running_model() {
    RunModel model(RunSettings{12 * 3600.0, 5});
    model.advance_to(3600.0);
    return model;
}

TEST(RunModel, CommandsShowInTheFollowingFrames) {
    struct Case {
        std::uint8_t byte;
        double after_s;  // run time between the command and the frame that shows it
        std::function<bool(const TelemetryFrame& before, const TelemetryFrame& after)> shows;
    };
    const Case cases[] = {
        {command::valve_down, 1.0,
         [](const auto& b, const auto& a) { return valve_of(a) == valve_of(b) - valve_step; }},
        {command::valve_up, 1.0,
         [](const auto& b, const auto& a) { return valve_of(a) == valve_of(b) + valve_step; }},
        {command::target_down, 1.0,
         [](const auto& b, const auto& a) { return a[element::target] == b[element::target] - 8; }},
        {command::target_up, 1.0,
         [](const auto& b, const auto& a) { return a[element::target] == b[element::target] + 8; }},
        {command::volume_reset, 1.0,
         [](const auto& b, const auto& a) {
             return b[element::volume] > 20 && a[element::volume] == 0;
         }},
        {command::heating_off, 300.0,
         [](const auto& b, const auto& a) {
             return b[element::flow] > 30 && a[element::flow] == 0 &&
                    a[element::tank] < b[element::tank] - 4;
         }},
        // A shut take-off valve stops the product within a few minutes.
        {command::valve_down, 300.0,
         [](const auto& b, const auto& a) { return a[element::flow] < b[element::flow] - 2; }},
    };
    for (const auto& c : cases) {
        RunModel model = running_model();
        const TelemetryFrame before = model.next_frame();
        EXPECT_TRUE(model.apply_command(c.byte).understood) << int{c.byte};
        model.advance_to(model.state().run_time_s + c.after_s);
        const TelemetryFrame after = model.next_frame();
        EXPECT_TRUE(c.shows(before, after))
            << "command " << int{c.byte} << " after " << c.after_s << " s";
    }
}

TEST(RunModel, HeatingOnAgainWarmsThePotUp) {
    RunModel model = running_model();
    model.apply_command(command::heating_off);
    model.advance_to(model.state().run_time_s + 1200.0);
    const std::int16_t cooled = model.next_frame()[element::tank];
    model.apply_command(command::heating_on);
    model.advance_to(model.state().run_time_s + 60.0);
    const std::int16_t warmed = model.next_frame()[element::tank];
    EXPECT_GT(warmed, cooled + 8);  // more than half a degree in a minute
}

TEST(RunModel, ValveAndTargetStopAtTheirLimits) {
    RunModel model = running_model();
    for (int i = 0; i < 20; ++i) {
        model.apply_command(command::valve_down);
    }
    EXPECT_EQ(valve_of(model.next_frame()), 0);
    for (int i = 0; i < 20; ++i) {
        model.apply_command(command::valve_up);
    }
    EXPECT_EQ(valve_of(model.next_frame()), 255);
    for (int i = 0; i < 200; ++i) {
        model.apply_command(command::target_down);
    }
    EXPECT_EQ(model.next_frame()[element::target], 10 * 16);
    for (int i = 0; i < 200; ++i) {
        model.apply_command(command::target_up);
    }
    EXPECT_EQ(model.next_frame()[element::target], 100 * 16);
}

TEST(RunModel, ReactionsSayWhatChanged) {
    RunModel model = running_model();
    EXPECT_EQ(model.apply_command(command::valve_up).text, "valve 96 -> 112");
    EXPECT_EQ(model.apply_command(command::target_down).text, "target 50.0 -> 49.5");
    EXPECT_EQ(model.apply_command(command::heating_off).text, "heating off");
    const std::string volume = model.apply_command(command::volume_reset).text;
    EXPECT_EQ(volume.rfind("volume ", 0), 0u) << volume;
    EXPECT_NE(volume.find(" l -> 0.00 l"), std::string::npos) << volume;
}

TEST(RunModel, OtherBytesChangeNothing) {
    RunModel plain = running_model();
    RunModel commanded = running_model();
    const std::uint8_t other_bytes[] = {0, 10, 13, 99, 107, 200, 255};
    for (const std::uint8_t byte : other_bytes) {
        EXPECT_FALSE(commanded.apply_command(byte).understood) << int{byte};
    }
    for (int i = 0; i < 50; ++i) {
        plain.advance_to(plain.state().run_time_s + 30.0);
        commanded.advance_to(commanded.state().run_time_s + 30.0);
        ASSERT_EQ(plain.next_frame().elements, commanded.next_frame().elements) << i;
    }
}

TEST(RunModel, RecordNumbersRunFromOneAndWrapToOne) {
    RunModel model(RunSettings{});
    for (int expected = 1; expected <= 65535; ++expected) {
        const TelemetryFrame frame = model.next_frame();
        ASSERT_EQ(frame.record_number(), expected);
    }
    EXPECT_EQ(model.next_frame().record_number(), 1);
    EXPECT_EQ(model.next_frame().record_number(), 2);
}

TEST(RunModel, FramesCarryTheDeviceClock) {
    RunModel model(RunSettings{14 * 3600 + 30 * 60 + 40.0, 1});
    model.advance_to(5.7);
    const TelemetryFrame first = model.next_frame();
    EXPECT_EQ(static_cast<std::uint16_t>(first[element::time_hours]), 0x0E1E);
    EXPECT_EQ(static_cast<std::uint16_t>(first[element::time_seconds]), 0x2D07);
    model.advance_to(5.7 + 3600.0 * 10);
    const TelemetryFrame later = model.next_frame();
    EXPECT_EQ(static_cast<std::uint16_t>(later[element::time_hours]), 0x001E);  // 00:30, next day
}

TEST(RunModel, SameSeedGivesTheSameRun) {
    RunModel one(RunSettings{0.0, 9});
    RunModel same(RunSettings{0.0, 9});
    RunModel other(RunSettings{0.0, 10});
    bool noise_differs = false;
    for (double t = 0.0; t < 7200.0; t += 60.0) {
        one.advance_to(t);
        same.advance_to(t);
        other.advance_to(t);
        const auto frame = one.next_frame();
        ASSERT_EQ(frame.elements, same.next_frame().elements) << t;
        noise_differs = noise_differs || frame.elements != other.next_frame().elements;
    }
    EXPECT_TRUE(noise_differs);
}

}  // namespace
}  // namespace stillmon::stillsim
