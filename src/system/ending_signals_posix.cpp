#include <pthread.h>
#include <signal.h>

#include <utility>

#include "system/ending_signals.h"

namespace stillmon {

namespace {

// The signals are taken by a thread of their own rather than an asynchronous handler.
sigset_t ending_signal_set() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    // Ctrl+\ too: its default ends the program without closing anything, the console
    // left without echo.
    sigaddset(&signals, SIGQUIT);
    return signals;
}

}  // namespace

void ignore_closed_console() {
    signal(SIGPIPE, SIG_IGN);
}

void hold_ending_signals() {
    const sigset_t signals = ending_signal_set();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

void watch_ending_signals(EndOfProcess end, const ThreadStarter& start) {
    start([end = std::move(end)] {
        const sigset_t signals = ending_signal_set();
        int signal_number = 0;
        while (sigwait(&signals, &signal_number) != 0) {
        }
        end(128 + signal_number);
    }).detach();
}

}  // namespace stillmon
