#include "app/operator_keys.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace stillmon {
namespace {

using Kind = KeyAction::Kind;

void press(OperatorState& state, std::string_view pressed, int times = 1) {
    for (int i = 0; i < times; ++i) {
        apply_operator_key(state, pressed);
    }
}

void type(OperatorState& state, std::string_view text) {
    for (const char c : text) {
        apply_operator_key(state, std::string(1, c));
    }
}

TEST(OperatorKeys, ParametersStopAtTheirLimits) {
    struct Case {
        const char* key;
        int presses;
        std::atomic<int> OperatorState::*parameter;
        int expected;
    };
    const Case cases[] = {
        {"q", 300, &OperatorState::valve_window, 256},
        {"w", 30, &OperatorState::valve_window, 0},
        {"o", 300, &OperatorState::flow_window, 256},
        {"p", 31, &OperatorState::flow_window, 0},
        {"t", 200, &OperatorState::ratio_period, 256},
        {"y", 98, &OperatorState::ratio_period, 0},
        {"u", 200, &OperatorState::correction_gain, 256},
        {"i", 118, &OperatorState::correction_gain, 0},
        {"e", 25, &OperatorState::replay_delay, 20},
        {"r", 3, &OperatorState::replay_delay, 0},
        {"q", 1, &OperatorState::valve_window, 21},
        {"p", 1, &OperatorState::flow_window, 29},
    };
    for (const auto& c : cases) {
        OperatorState state;
        press(state, c.key, c.presses);
        EXPECT_EQ((state.*c.parameter).load(), c.expected) << c.presses << " x " << c.key;
    }
}

TEST(OperatorKeys, ReplayDelayStepsBackDown) {
    OperatorState state;
    press(state, "e", 25);
    press(state, "r", 5);
    EXPECT_EQ(state.replay_delay.load(), 15);
}

TEST(OperatorKeys, EnterTakesProofValuesStrictlyInsideTheBounds) {
    struct Case {
        const char* typed;
        float expected;
    };
    const Case cases[] = {
        {"45.5", 45.5f}, {"97", 0.0f},  {"3", 0.0f},     {"96.6", 0.0f}, {"3.01", 3.01f},
        {"96.5", 96.5f}, {"abc", 0.0f}, {" 12x", 12.0f}, {"", 0.0f},     {"-50", 0.0f},
    };
    for (const auto& c : cases) {
        OperatorState state;
        type(state, c.typed);
        EXPECT_EQ(apply_operator_key(state, key::enter), KeyAction{});
        EXPECT_EQ(state.proof_value.load(), c.expected) << c.typed;
        EXPECT_EQ(state.entry_text(), "") << c.typed;
    }
}

TEST(OperatorKeys, RejectedProofKeepsThePreviousValue) {
    OperatorState state;
    type(state, "45.5\r");
    type(state, "97\r");
    EXPECT_EQ(state.proof_value.load(), 45.5f);
}

TEST(OperatorKeys, KeysWithoutFunctionGoToTheEntryTextCaseSensitively) {
    OperatorState state;
    type(state, "Q4.");
    press(state, key::up);
    press(state, key::window_close);
    EXPECT_EQ(state.entry_text(), std::string("Q4.") + "\xFFH" + "\xFFk");
    EXPECT_EQ(state.valve_window.load(), 20);
    press(state, "z");
    EXPECT_EQ(state.entry_text(), std::string("Q4.") + "\xFFH" + "\xFFk");
}

TEST(OperatorKeys, CommandKeysSendBytes100To106) {
    OperatorState state;
    const std::string keys = "dfghjkl";
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const KeyAction action = apply_operator_key(state, std::string(1, keys[i]));
        EXPECT_EQ(action.kind, Kind::send_command);
        EXPECT_EQ(action.command_byte, 100 + i);
    }
    EXPECT_EQ(state.entry_text(), "");
}

TEST(OperatorKeys, QuitPauseRedrawAndSnapshot) {
    OperatorState state;
    EXPECT_EQ(apply_operator_key(state, "x").kind, Kind::quit);
    EXPECT_EQ(apply_operator_key(state, key::escape).kind, Kind::quit);
    EXPECT_EQ(apply_operator_key(state, "X").kind, Kind::none);

    press(state, " ");
    EXPECT_TRUE(state.replay_paused.load());
    press(state, "s");
    EXPECT_FALSE(state.replay_paused.load());

    press(state, "c");
    EXPECT_TRUE(state.redraw_requested.load());

    EXPECT_EQ(apply_operator_key(state, key::snapshot).kind, Kind::snapshot);
    EXPECT_EQ(state.entry_text(), "X");
}

// Like F2, F3 has its function only where a journal is kept (a live run with a configuration).
TEST(OperatorKeys, MarkKeyQueuesTheEntryTextWithAJournalAndIsTypedWithout) {
    OperatorState state;
    type(state, "=5");
    EXPECT_EQ(apply_operator_key(state, key::mark).kind, Kind::none);
    EXPECT_EQ(state.entry_text(), "=5\xFF\x3D");
    EXPECT_TRUE(state.take_marks().empty());

    state.clear_entry();
    state.marks_configured.store(true);
    type(state, "=5");
    EXPECT_EQ(apply_operator_key(state, key::mark).kind, Kind::mark);
    press(state, key::mark);
    EXPECT_EQ(state.entry_text(), "");
    EXPECT_EQ(state.take_marks(), (std::vector<std::string>{"=5", ""}));
    EXPECT_TRUE(state.take_marks().empty());
}

TEST(OperatorKeys, FunctionKeyCodes) {
    EXPECT_EQ(key::function_key(1), "\xFF\x3B");
    EXPECT_EQ(key::function_key(10), "\xFF\x44");
    EXPECT_EQ(key::function_key(11), "\xFF\x85");
    EXPECT_EQ(key::function_key(12), key::snapshot);
    EXPECT_EQ(key::function_key(3), key::mark);
}

}  // namespace
}  // namespace stillmon
