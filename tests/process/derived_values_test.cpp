#include "process/derived_values.h"

#include <cmath>

#include <gtest/gtest.h>

namespace stillmon {
namespace {

constexpr std::int16_t tank_92_0 = 1472;   // 92.0 degrees: liquid about 11.02 %
constexpr std::int16_t steam_78_5 = 1256;  // 78.5 degrees: vapour 94.21 %

// A frame whose temperatures pass the strength test unless a test changes them.
TelemetryFrame passing_frame() {
    TelemetryFrame frame;
    frame[element::tank] = tank_92_0;
    frame[element::steam] = steam_78_5;
    return frame;
}

// A frame whose temperatures fail the strength test, so no stage line and no ratio line is
// shown.
TelemetryFrame failing_frame() {
    TelemetryFrame frame;
    frame[element::tank] = 0;
    frame[element::steam] = steam_78_5;
    return frame;
}

class DeriveCycleValues : public ::testing::Test {
  protected:
    void run(TelemetryFrame& frame) { shown = derive_cycle_values(frame, state, parameters); }

    DerivedValues state;
    OperatorState parameters;
    CycleReadouts shown;
};

TEST_F(DeriveCycleValues, WorkedTemperaturesGiveTheStageValueAndItsLine) {
    TelemetryFrame frame = passing_frame();
    run(frame);

    EXPECT_NEAR(state.input_strength, 11.02f, 0.005f);
    EXPECT_EQ(state.output_strength, 94.21f);
    EXPECT_TRUE(state.strength_test_passed);
    EXPECT_NEAR(state.stage_value, 5964.0f, 0.5f);
    ASSERT_TRUE(shown.stage_line.has_value());
    EXPECT_EQ(shown.stage_line->whole_stages, 6);
    EXPECT_NEAR(shown.stage_line->crossing_point, 5.964, 0.0005);
}

struct StrengthCase {
    const char* what;
    std::int16_t tank;
    std::int16_t steam;
};

TEST_F(DeriveCycleValues, FailedStrengthTestKeepsTheStageValueAndPrintsNoStageLine) {
    TelemetryFrame first = passing_frame();
    run(first);
    const float kept = state.stage_value;
    ASSERT_GT(kept, 0.0f);

    const StrengthCase cases[] = {
        {"tank below the azeotrope", 1250, steam_78_5},
        {"tank at the boiling point of water", 1599, steam_78_5},
        {"tank extrapolated to a negative strength", 1598, steam_78_5},
        {"steam below the azeotrope", tank_92_0, 1250},
        {"steam weaker than the tank liquid", steam_78_5, tank_92_0},
    };
    parameters.valve_window = 0;
    for (const auto& c : cases) {
        TelemetryFrame frame = passing_frame();
        frame[element::tank] = c.tank;
        frame[element::steam] = c.steam;
        run(frame);
        EXPECT_FALSE(state.strength_test_passed) << c.what;
        EXPECT_EQ(state.stage_value, kept) << c.what;
        EXPECT_EQ(shown, CycleReadouts{}) << c.what;
    }
}

TEST_F(DeriveCycleValues, ValveAverageRisesOverItsWindowAndShowsBothReadouts) {
    for (int cycle = 1; cycle <= 25; ++cycle) {
        TelemetryFrame frame = failing_frame();
        frame[element::valve] = 200;
        run(frame);

        const auto expected = static_cast<std::int16_t>(cycle <= 20 ? (cycle - 1) * 10 : 200);
        EXPECT_EQ(frame[element::valve], expected) << "cycle " << cycle;
        EXPECT_EQ(shown,
                  (CycleReadouts{std::nullopt, ValveReadouts{200.0f, expected}, std::nullopt}))
            << "cycle " << cycle;
    }
}

TEST_F(DeriveCycleValues, ZeroWindowsPassTheElementsThroughUnchanged) {
    parameters.valve_window = 0;
    parameters.flow_window = 0;
    for (int cycle = 1; cycle <= 3; ++cycle) {
        TelemetryFrame frame = failing_frame();
        frame[element::valve] = 200;
        frame[element::flow] = 75;
        run(frame);
        EXPECT_EQ(frame[element::valve], 200);
        EXPECT_EQ(frame[element::flow], 75);
        EXPECT_EQ(shown, CycleReadouts{});
    }
    EXPECT_EQ(state.valve_samples[0], 0.0f);
    EXPECT_EQ(state.flow_samples[0], 0.0f);
}

TEST_F(DeriveCycleValues, FlowAverageRoundsHalvesUpAndShowsNothing) {
    parameters.valve_window = 0;
    // Window 30: one sample of 75 averages to 2.5, two to 5, three to 7.5.
    const std::int16_t samples[] = {75, 75, 75, 75, -75, -75, -75, -75, -75};
    const std::int16_t averages[] = {0, 3, 5, 8, 10, 8, 5, 3, 0};
    for (std::size_t cycle = 0; cycle < std::size(samples); ++cycle) {
        TelemetryFrame frame = failing_frame();
        frame[element::flow] = samples[cycle];
        run(frame);
        EXPECT_EQ(frame[element::flow], averages[cycle]) << "cycle " << cycle + 1;
        EXPECT_EQ(shown, CycleReadouts{}) << "cycle " << cycle + 1;
    }
}

TEST_F(DeriveCycleValues, NegativeHalvesRoundUpToo) {
    parameters.valve_window = 0;
    parameters.flow_window = 2;
    // Averages of the two previous samples: 0, -2.5, -5.5.
    const std::int16_t samples[] = {-5, -6, 0};
    const std::int16_t expected[] = {0, -2, -5};
    for (std::size_t cycle = 0; cycle < std::size(samples); ++cycle) {
        TelemetryFrame frame = failing_frame();
        frame[element::flow] = samples[cycle];
        run(frame);
        EXPECT_EQ(frame[element::flow], expected[cycle]) << "cycle " << cycle + 1;
    }
}

TEST_F(DeriveCycleValues, GrownWindowTakesInSamplesLeftBeyondTheShrunkOne) {
    parameters.flow_window = 0;
    const struct {
        int window;
        std::int16_t sample;
        std::int16_t average;
    } cycles[] = {
        {4, 10, 0},
        {4, 20, 3},
        {4, 30, 8},
        {4, 40, 15},
        {4, 50, 25},
        // Window 1 shifts only entries 0..2; entries 3 and 4 keep 20 and 10.
        {1, 100, 50},
        {1, 100, 100},
        // Entries 1..4 are now 100, 100, 50 (from entry 2) and the stale 20.
        {4, 100, 68},
    };
    for (const auto& c : cycles) {
        parameters.valve_window = c.window;
        TelemetryFrame frame = failing_frame();
        frame[element::valve] = c.sample;
        run(frame);
        EXPECT_EQ(frame[element::valve], c.average) << "window " << c.window;
    }
}

TEST_F(DeriveCycleValues, WindowOutsideItsRangeIsTakenAsTheNearestLimit) {
    parameters.flow_window = 0;
    parameters.valve_window = 100000;  // as 256
    TelemetryFrame first = failing_frame();
    first[element::valve] = 256;
    run(first);
    TelemetryFrame second = failing_frame();
    second[element::valve] = 256;
    run(second);
    EXPECT_EQ(second[element::valve], 1);  // 256 / 256

    parameters.valve_window = -3;  // as 0
    TelemetryFrame third = failing_frame();
    third[element::valve] = 77;
    run(third);
    EXPECT_EQ(third[element::valve], 77);
    EXPECT_EQ(shown, CycleReadouts{});
}

// Elements for reflux terms: denominator term = element 1 + element 7 - element 2 - element 6,
// numerator term = element 2 - element 7.
TelemetryFrame reflux_frame(std::int16_t denominator_term, std::int16_t numerator_term) {
    TelemetryFrame frame = passing_frame();
    frame[element::first_stage] = static_cast<std::int16_t>(denominator_term + numerator_term);
    frame[element::second_stage] = numerator_term;
    frame[element::bottom_heat_exchanger] = 0;
    frame[element::out_water] = 0;
    return frame;
}

TEST_F(DeriveCycleValues, RatioPeriodSumsNinetyEightCyclesAndShowsTheRatio) {
    parameters.valve_window = 0;
    for (int cycle = 1; cycle <= 97; ++cycle) {
        TelemetryFrame frame = passing_frame();
        frame[element::first_stage] = 1400;
        frame[element::second_stage] = 1300;
        frame[element::bottom_heat_exchanger] = 1000;
        frame[element::out_water] = 1200;
        run(frame);
        ASSERT_EQ(state.period_counter, cycle);
        ASSERT_EQ(state.reflux_ratio, 437.0f);
        ASSERT_FALSE(shown.ratio.has_value());
    }
    EXPECT_EQ(state.denominator_sum, 97 * 300);
    EXPECT_EQ(state.numerator_sum, 97 * 100);

    TelemetryFrame last = passing_frame();
    last[element::first_stage] = 1400;
    last[element::second_stage] = 1300;
    last[element::bottom_heat_exchanger] = 1000;
    last[element::out_water] = 1200;
    last[element::top_heat_exchanger] = 1111;
    run(last);

    EXPECT_EQ(state.period_counter, 0);
    EXPECT_EQ(state.denominator_sum, 0);
    EXPECT_EQ(state.numerator_sum, 0);
    EXPECT_EQ(state.held_top_heat_exchanger, 1111);
    EXPECT_EQ(state.reflux_ratio, 980000.0f / 29400.0f);
    EXPECT_EQ(shown.ratio, (RatioReadouts{29400.0f, 980000.0f, state.reflux_ratio}));
}

struct RatioCase {
    const char* what;
    std::int16_t denominator_term;
    std::int16_t numerator_term;
    float ratio;
};

TEST_F(DeriveCycleValues, RefluxRatioStaysBetweenZeroAndAThousand) {
    parameters.valve_window = 0;
    parameters.ratio_period = 0;  // every cycle ends a period
    const RatioCase cases[] = {
        {"negative quotient", 40, -1, 0.0f},
        {"zero denominator, positive numerator", 0, 5, 1000.0f},
        {"zero over zero", 0, 0, 0.0f},
        {"exactly the limit", 1, 10, 1000.0f},
        {"above the limit", 1, 11, 1000.0f},
        {"both negative", -10, -5, 50.0f},
        {"zero denominator, negative numerator", 0, -5, 0.0f},
    };
    for (const auto& c : cases) {
        state.reflux_ratio = 123.0f;
        TelemetryFrame frame = reflux_frame(c.denominator_term, c.numerator_term);
        run(frame);
        EXPECT_EQ(state.reflux_ratio, c.ratio) << c.what;
        // The numerator is shown times the reflux channel's divisor, 100.
        const RatioReadouts ratio{static_cast<float>(c.denominator_term),
                                  static_cast<float>(c.numerator_term * 100), c.ratio};
        EXPECT_EQ(shown.ratio, ratio) << c.what;
    }
}

TEST_F(DeriveCycleValues, PeriodEndingWithFailedStrengthTestClearsSumsButKeepsTheRatio) {
    parameters.valve_window = 0;
    for (int cycle = 1; cycle <= 97; ++cycle) {
        TelemetryFrame frame = reflux_frame(300, 100);
        run(frame);
    }
    TelemetryFrame last = reflux_frame(300, 100);
    last[element::tank] = 0;
    last[element::top_heat_exchanger] = 1234;
    run(last);

    EXPECT_EQ(state.period_counter, 0);
    EXPECT_EQ(state.denominator_sum, 0);
    EXPECT_EQ(state.numerator_sum, 0);
    EXPECT_EQ(state.held_top_heat_exchanger, 1234);
    EXPECT_EQ(state.reflux_ratio, 437.0f);
    EXPECT_EQ(state.channel18_value, 437.0f);
    EXPECT_EQ(shown, CycleReadouts{});
}

TEST_F(DeriveCycleValues, ChannelEighteenFollowsTopHeatExchangerUntilAndAfterThePeriodEnds) {
    parameters.valve_window = 0;
    for (int cycle = 1; cycle <= 97; ++cycle) {
        TelemetryFrame frame = reflux_frame(300, 100);
        frame[element::top_heat_exchanger] = static_cast<std::int16_t>(1000 + cycle);
        run(frame);
        // 437 - element 4 x 1.17
        const double expected = 437.0 - (1000 + cycle) * 117 / 100.0;
        ASSERT_EQ(state.channel18_value, static_cast<float>(expected)) << "cycle " << cycle;
    }

    TelemetryFrame ending = reflux_frame(300, 100);
    ending[element::top_heat_exchanger] = 1200;
    run(ending);
    EXPECT_EQ(state.reflux_ratio, 980000.0f / 29400.0f);
    EXPECT_EQ(state.channel18_value, state.reflux_ratio);

    // Ten sixteenths cooler at the top: the ratio is corrected upwards by 10 x 1.17.
    TelemetryFrame next = reflux_frame(300, 100);
    next[element::top_heat_exchanger] = 1190;
    parameters.correction_gain = 117;
    run(next);
    EXPECT_EQ(state.channel18_value, static_cast<float>(state.reflux_ratio + 11.7L));

    parameters.correction_gain = 0;
    run(next);
    EXPECT_EQ(state.channel18_value, state.reflux_ratio);
}

}  // namespace
}  // namespace stillmon
