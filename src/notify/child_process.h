#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace stillmon {

// How a program run for a notice ended.
struct ChildEnd {
    enum class How { not_started, exited, signalled, stopped_at_limit };
    How how = How::not_started;
    int code = 0;     // the exit status, or the signal that ended it
    std::string why;  // not_started: the system's reason
};

// Runs `argv` directly, the program found on the PATH as the system finds it (no shell), with
// the program's own environment plus `added` (a variable of the same name is replaced), and
// `input` on its standard input; its output goes where the program's goes. Waits for it to
// end, and ends it (with whatever it started) once it has run for `limit`.
ChildEnd run_child_process(const std::vector<std::string>& argv,
                           const std::vector<std::pair<std::string, std::string>>& added,
                           std::string_view input, std::chrono::seconds limit);

}  // namespace stillmon
