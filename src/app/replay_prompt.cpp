#include "app/replay_prompt.h"

#include "base/key_codes.h"

namespace stillmon {

namespace {
constexpr std::string_view repeat_prompt = "Repeat ? ";
}  // namespace

PromptAnswer ask_repeat(TextScreen& screen, const PromptKeys& keys) {
    screen.print(repeat_prompt, false);
    while (true) {
        const std::optional<std::string> pressed = keys.next_key();
        if (!pressed) {
            if (keys.input_ended && keys.input_ended()) {
                return PromptAnswer::line_read;
            }
            continue;
        }
        if (*pressed == key::enter) {
            return PromptAnswer::line_read;
        }
        if (*pressed == key::escape) {
            return PromptAnswer::quit;
        }
        if (*pressed == key::snapshot && keys.snapshot) {
            keys.snapshot();
            continue;
        }
        if (*pressed == key::acknowledge_alarms && keys.acknowledge_alarms) {
            keys.acknowledge_alarms();
            continue;
        }
        const auto first = static_cast<unsigned char>((*pressed)[0]);
        if (pressed->size() == 1 && first >= 0x20 && first != 0x7F) {
            screen.print(*pressed, false);
        }
    }
}

int replay_to_end(const std::function<ReplayOutcome()>& run_cycle, TextScreen& screen,
                  const std::function<void()>& show_drawing, const PromptKeys& keys,
                  const ReplayConsole& console) {
    ReplayOutcome outcome = run_cycle();
    if (outcome == ReplayOutcome::log_ended && console.say_error) {
        console.say_error("stillmon: found no records to replay in " + console.log_name);
    }
    while (outcome == ReplayOutcome::cycle_drawn) {
        outcome = run_cycle();
    }
    if (outcome == ReplayOutcome::log_ended) {
        return 0;
    }
    keys.claim();
    show_drawing();
    if (console.ended) {
        console.ended();
    }
    if (console.prompt != nullptr) {
        *console.prompt << repeat_prompt << std::flush;
    }
    const PromptAnswer answer = ask_repeat(screen, keys);
    if (console.prompt != nullptr) {
        *console.prompt << std::endl;
    }
    show_drawing();
    return answer == PromptAnswer::quit ? 55 : 0;
}

}  // namespace stillmon
