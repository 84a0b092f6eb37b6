#pragma once

#include <functional>
#include <optional>
#include <string>

#include "base/text_screen.h"

namespace stillmon {

// Where the end-of-replay prompt takes its keys from.
struct PromptKeys {
    // The next key, waiting at most a few milliseconds; nothing when none came.
    std::function<std::optional<std::string>()> next_key;
    // True when no key can come any more (standard input at its end): counts as Enter.
    std::function<bool()> input_ended;
};

enum class PromptAnswer { line_read, quit };

// Prints "Repeat ? " at the current text position and reads one line: typed characters are
// shown after the prompt, Enter ends the line, Esc quits. The answer itself is not used.
PromptAnswer ask_repeat(TextScreen& screen, const PromptKeys& keys);

}  // namespace stillmon
