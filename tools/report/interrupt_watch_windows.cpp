#include <windows.h>

#include <atomic>

#include "report/interrupt_watch.h"

namespace stillmon::report {

namespace {

// The console calls its handler on a thread it makes, with no context of ours.
std::atomic<TemporaryOutputs*>& watched_outputs() {
    static std::atomic<TemporaryOutputs*> outputs{nullptr};
    return outputs;
}

BOOL WINAPI remove_on_console_event(DWORD event) {
    TemporaryOutputs* outputs = watched_outputs().load();
    if (outputs == nullptr) {
        return FALSE;
    }
    constexpr int interrupted = 128 + 2;  // as SIGINT
    constexpr int terminated = 128 + 15;  // as SIGTERM
    const bool interrupt = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
    outputs->remove_all_and_exit(interrupt ? interrupted : terminated);
}

}  // namespace

void remove_outputs_on_interrupt(TemporaryOutputs& outputs) {
    watched_outputs().store(&outputs);
    SetConsoleCtrlHandler(remove_on_console_event, TRUE);
}

}  // namespace stillmon::report
