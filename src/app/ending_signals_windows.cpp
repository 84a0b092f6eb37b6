#include <windows.h>

#include <atomic>

#include "app/ending_signals.h"

namespace stillmon {

namespace {

// The console calls its handler on a thread it makes, with no context of ours: the process
// end it must reach is kept here, the one place Windows leaves for it.
std::atomic<ProcessEnd*>& watched_process_end() {
    static std::atomic<ProcessEnd*> process_end{nullptr};
    return process_end;
}

BOOL WINAPI end_on_console_event(DWORD event) {
    ProcessEnd* process_end = watched_process_end().load();
    if (process_end == nullptr) {
        return FALSE;
    }
    constexpr int interrupted = 128 + 2;  // as SIGINT
    constexpr int terminated = 128 + 15;  // as SIGTERM
    const bool interrupt = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
    process_end->close_all_and_exit(interrupt ? interrupted : terminated);
}

}  // namespace

// Windows has no SIGPIPE: a write to a closed pipe fails by itself.
void ignore_closed_console() {}

// Until the handler is set, Ctrl+C ends the process at once, as it does on Linux before
// the signals are held: nothing is open to close yet.
void hold_ending_signals() {}

void watch_ending_signals(ProcessEnd& process_end, const ThreadStarter&) {
    watched_process_end().store(&process_end);
    SetConsoleCtrlHandler(end_on_console_event, TRUE);
}

}  // namespace stillmon
