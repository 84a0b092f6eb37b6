#pragma once

#include <functional>

#include "base/text_screen.h"

namespace stillmon {

// Starts a thread running `body`, detached. Throws std::system_error when no thread can be had.
void start_detached_thread(std::function<void()> body);

using ThreadStarter = std::function<void(std::function<void()>)>;

// Starts the link supervisor's thread. When no thread can be had, says so on the window
// ("ThreadCreate Error= ", see the readout table) and returns false: the program then closes its
// files and ends with status 0 without entering the cycle.
bool start_supervisor_thread(std::function<void()> body, TextScreen& screen,
                             const ThreadStarter& start = start_detached_thread);

}  // namespace stillmon
