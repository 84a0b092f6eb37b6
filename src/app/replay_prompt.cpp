#include "app/replay_prompt.h"

#include "base/key_codes.h"

namespace stillmon {

PromptAnswer ask_repeat(TextScreen& screen, const PromptKeys& keys) {
    screen.print("Repeat ? ", false);
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
        const auto first = static_cast<unsigned char>((*pressed)[0]);
        if (pressed->size() == 1 && first >= 0x20 && first != 0x7F) {
            screen.print(*pressed, false);
        }
    }
}

}  // namespace stillmon
