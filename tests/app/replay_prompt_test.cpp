#include "app/replay_prompt.h"

#include <deque>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "display/surface.h"

namespace stillmon {
namespace {

struct ScriptedKeys {
    PromptKeys prompt_keys() {
        return {[this] { claimed = true; },
                [this]() -> std::optional<std::string> {
                    ++polls;
                    if (keys.empty()) {
                        return std::nullopt;
                    }
                    std::string next = keys.front();
                    keys.pop_front();
                    return next;
                },
                [this] { return ended && keys.empty(); }, [this] { ++snapshots; },
                [this] { ++acknowledgements; }};
    }
    std::deque<std::string> keys;
    bool ended = false;
    bool claimed = false;
    int polls = 0;
    int snapshots = 0;
    int acknowledgements = 0;
};

TEST(ReplayPrompt, ShowsTypedCharactersAfterThePromptUntilEnter) {
    Surface surface(large_screen);
    surface.set_text_position(40, 1);
    ScriptedKeys keys;
    keys.keys = {"y", "e", "\xFFH", "\x08", "\xFF\x86", "\xFF\x3C", "s", "\r", "n"};
    EXPECT_EQ(ask_repeat(surface, keys.prompt_keys()), PromptAnswer::line_read);
    EXPECT_EQ(surface.text_of_row(40).substr(0, 12), "Repeat ? yes");
    EXPECT_EQ(keys.snapshots, 1);         // F12 saves a picture, as it does during the run
    EXPECT_EQ(keys.acknowledgements, 1);  // F2 stops the alarms' tone at the prompt too
    EXPECT_EQ(keys.keys.size(), 1u);      // the key after Enter stays for others
}

TEST(ReplayPrompt, EscapeQuitsAndEndOfInputCountsAsEnter) {
    Surface surface(small_screen);
    ScriptedKeys quitting;
    quitting.keys = {"x", "\x1B"};
    EXPECT_EQ(ask_repeat(surface, quitting.prompt_keys()), PromptAnswer::quit);

    ScriptedKeys ended;
    ended.keys = {"1"};
    ended.ended = true;
    EXPECT_EQ(ask_repeat(surface, ended.prompt_keys()), PromptAnswer::line_read);
}

TEST(ReplayToEnd, PromptsOnlyAfterALastRecordAndEndsWithItsAnswer) {
    using enum ReplayOutcome;
    Surface surface(small_screen);
    for (const auto& [last, key, status] :
         {std::tuple{log_ended_after_cycle, "\r", 0}, std::tuple{log_ended_after_cycle, "\x1B", 55},
          std::tuple{log_ended, "\x1B", 0}}) {
        ScriptedKeys keys;
        keys.keys = {key};
        const std::vector<ReplayOutcome> outcomes{cycle_drawn, cycle_drawn, last};
        std::size_t cycles = 0;
        int shown = 0;  // with the keys already the prompt's
        EXPECT_EQ(replay_to_end([&] { return outcomes.at(cycles++); }, surface,
                                [&] { shown += keys.claimed ? 1 : 0; }, keys.prompt_keys()),
                  status);
        EXPECT_EQ(cycles, outcomes.size());
        EXPECT_EQ(shown, last == log_ended ? 0 : 2);
        EXPECT_EQ(keys.keys.empty(), last != log_ended);
    }
}

}  // namespace
}  // namespace stillmon
