#pragma once

#include <functional>
#include <optional>
#include <string>

#include "base/operator_state.h"
#include "base/run_mode.h"
#include "link/device_link.h"

namespace stillmon {

// The program's second thread. Its passes come at most ten times a second: each re-opens the
// serial link when frames have stopped or the cycle asked for it (live mode), then carries
// out at most one operator key. Between passes it sleeps until a key comes, the cycle wakes
// it, or frames would count as stopped.
class LinkSupervisor {
  public:
    static constexpr int pass_interval_ms = 100;
    static constexpr double stall_limit_s = 1.99;
    static constexpr int reopen_pause_ms = 500;
    // The longest sleep when there is no link to watch (replay).
    static constexpr double unwatched_wait_s = 24 * 60 * 60;

    struct Platform {
        std::function<double()> now_s;  // the cycle's monotonic clock
        std::function<void(int)> sleep_ms;
        // Waits up to wait_s for a key and takes it; nothing when none came, when the cycle
        // woke the supervisor, or when the keys are not the supervisor's.
        std::function<std::optional<std::string>(double wait_s)> next_key;
        std::function<void(int)> quit;   // closes the link and logs, ends the process
        std::function<void()> snapshot;  // asks the main thread for a PNG
        std::function<void(const OpenResult&)> reopened;  // told how each re-open went
        std::function<void()> wake_main_thread;           // to carry out what a key asked
    };

    // link may be null (replay mode has none).
    LinkSupervisor(RunMode mode, PortSettings port, OperatorState& state, DeviceLink* link,
                   Platform platform);

    // Never returns; the process ends from here (quit) or from the main thread.
    [[noreturn]] void run();
    // One pass: the waits, the link watch and one key.
    void run_pass();

  private:
    double seconds_until_link_look() const;
    void watch_link();
    void carry_out(const std::string& pressed);

    RunMode mode_;
    PortSettings port_;
    OperatorState& state_;
    DeviceLink* link_;
    Platform platform_;
};

}  // namespace stillmon
