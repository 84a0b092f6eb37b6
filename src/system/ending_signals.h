#pragma once

#include <functional>

#include "base/thread_starter.h"

namespace stillmon {

// How the operating system asks the program to stop (signals on Linux, console events on
// Windows) ends it as the quit key does, closing what is open, so no logged cycle is lost: an
// interrupt with status 130, a request to terminate or a closed terminal with 143 (129 for a
// hang-up and 131 for Ctrl+\ on Linux), as shells report signals.

// A console that went away (a closed pipe) must not end the run: a write to it fails and is
// dropped instead. Called first thing.
void ignore_closed_console();

// Holds the requests back until the watch starts. Called before any other thread starts,
// so that every thread inherits it.
void hold_ending_signals();

// What a request to stop calls with the exit status; it ends the process and never returns.
using EndOfProcess = std::function<void(int status)>;

// From here on a request to stop ends the process through `end`. A thread the watch needs
// comes from `start`.
void watch_ending_signals(EndOfProcess end, const ThreadStarter& start);

}  // namespace stillmon
