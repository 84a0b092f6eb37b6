#include <windows.h>

#include <atomic>
#include <utility>

#include "system/ending_signals.h"

namespace stillmon {

namespace {

// The console calls its handler on a thread it makes, with no context of ours: the end it
// must reach is kept here, the one place Windows leaves for it. It is set once, before the
// handler is.
std::atomic<const EndOfProcess*>& watched_end() {
    static std::atomic<const EndOfProcess*> end{nullptr};
    return end;
}

BOOL WINAPI end_on_console_event(DWORD event) {
    const EndOfProcess* end = watched_end().load();
    if (end == nullptr) {
        return FALSE;
    }
    constexpr int interrupted = 128 + 2;  // as SIGINT
    constexpr int terminated = 128 + 15;  // as SIGTERM
    const bool interrupt = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
    (*end)(interrupt ? interrupted : terminated);
    return TRUE;
}

}  // namespace

// Windows has no SIGPIPE: a write to a closed pipe fails by itself.
void ignore_closed_console() {}

// Until the handler is set, Ctrl+C ends the process at once, as it does on Linux before
// the signals are held: nothing is open to close yet.
void hold_ending_signals() {}

void watch_ending_signals(EndOfProcess end, const ThreadStarter&) {
    // Kept for the rest of the process, as the handler may run until its very end.
    watched_end().store(new EndOfProcess(std::move(end)));
    SetConsoleCtrlHandler(end_on_console_event, TRUE);
}

}  // namespace stillmon
