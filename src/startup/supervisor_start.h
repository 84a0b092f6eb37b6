#pragma once

#include <functional>

#include "app/process_end.h"
#include "base/error_lines.h"
#include "base/text_screen.h"
#include "base/thread_starter.h"

namespace stillmon {

// Starts the link supervisor's thread, detached. When no thread can be had, says so on the window
// ("ThreadCreate Error= ", see the readout table) and returns false: the program then closes its
// files and ends with status 0 without entering the cycle.
bool start_supervisor_thread(std::function<void()> body, TextScreen& screen,
                             const ThreadStarter& start = start_thread);

// Starts the threads the program needs before its window shows, or without one: the signal
// thread, the serial link's and the console keys'. When no thread can be had it says so
// ("stillmon: cannot start a thread: <reason>") and ends the program as without the
// supervisor's thread: its files closed through `process_end`, status 0. So it returns only
// with a thread.
ThreadStarter ending_thread_starter(ProcessEnd& process_end, Say say,
                                    ThreadStarter start = start_thread);

}  // namespace stillmon
