#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "app/acquisition_cycle.h"
#include "base/error_lines.h"
#include "base/text_screen.h"

namespace stillmon {

// Where the end-of-replay prompt takes its keys from.
struct PromptKeys {
    // Makes the keys the prompt's, in one step: no other reader takes one afterwards.
    std::function<void()> claim;
    // The next key, waiting for something to arrive if none is there; nothing when what
    // arrived was no key.
    std::function<std::optional<std::string>()> next_key;
    // True when no key can come any more (standard input at its end): counts as Enter.
    std::function<bool()> input_ended;
    // Saves a snapshot: the end of a replay is the natural moment for a picture.
    std::function<void()> snapshot;
    // Acknowledges the firing alarms: a tone must not sound on while the prompt waits.
    std::function<void()> acknowledge_alarms;
};

enum class PromptAnswer { line_read, quit };

// Prints "Repeat ? " at the current text position and reads one line: typed characters are
// shown after the prompt, Enter ends the line, Esc quits, F12 saves a snapshot, F2 acknowledges the
// alarms. The answer itself is not used.
PromptAnswer ask_repeat(TextScreen& screen, const PromptKeys& keys);

// What a replay says besides its window: on the console, and to a page that follows it.
struct ReplayConsole {
    std::string log_name;
    Say say_error;  // "stillmon: found no records to replay in <log_name>"
    // Without a window the prompt shows here too, its line ended once it is answered.
    std::ostream* prompt = nullptr;
    // Called once the last record is shown, before the prompt waits for its line.
    std::function<void()> ended;
};

// Runs replay cycles until the log ends; returns the exit status. After the last record is
// drawn, the keys become the prompt's (keys.claim) and the drawing is shown before and after
// the prompt: a line gives 0, Esc 55. A log with no record left to show ends with 0 at once,
// without a prompt; one with no record at all says so.
int replay_to_end(const std::function<ReplayOutcome()>& run_cycle, TextScreen& screen,
                  const std::function<void()>& show_drawing, const PromptKeys& keys,
                  const ReplayConsole& console = {});

}  // namespace stillmon
