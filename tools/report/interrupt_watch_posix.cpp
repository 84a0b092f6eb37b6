#include <pthread.h>
#include <signal.h>

#include <thread>

#include "report/interrupt_watch.h"

namespace stillmon::report {

// The signals are taken by a thread of their own rather than an asynchronous handler, so
// that removing the files may lock and call what it needs, while the main thread may be
// blocked reading a pipe.
void remove_outputs_on_interrupt(TemporaryOutputs& outputs) {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread([&outputs, signals] {
        int signal_number = 0;
        while (sigwait(&signals, &signal_number) != 0) {
        }
        outputs.remove_all_and_exit(128 + signal_number);
    }).detach();
}

}  // namespace stillmon::report
