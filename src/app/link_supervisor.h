#pragma once

#include <functional>
#include <optional>
#include <string>

#include "base/operator_state.h"
#include "base/run_mode.h"
#include "link/device_link.h"

namespace stillmon {

// The program's second thread. About ten times a second it re-opens the serial link when
// frames have stopped or the cycle asked for it (live mode), then carries out at most one
// operator key.
class LinkSupervisor {
  public:
    static constexpr int pass_interval_ms = 100;
    static constexpr double stall_limit_s = 1.99;
    static constexpr int reopen_pause_ms = 500;

    struct Platform {
        std::function<double()> now_s;  // the cycle's monotonic clock
        std::function<void(int)> sleep_ms;
        std::function<std::optional<std::string>()> next_key;  // never waits
        std::function<void(int)> quit;   // closes the link and logs, ends the process
        std::function<void()> snapshot;  // asks the main thread for a PNG
    };

    // link may be null (replay mode has none).
    LinkSupervisor(RunMode mode, std::string port_text, OperatorState& state, DeviceLink* link,
                   Platform platform);

    // Never returns; the process ends from here (quit) or from the main thread.
    [[noreturn]] void run();
    // One pass: the wait, the link watch and one key.
    void run_pass();

  private:
    void watch_link();
    void take_key();

    RunMode mode_;
    std::string port_text_;
    OperatorState& state_;
    DeviceLink* link_;
    Platform platform_;
};

}  // namespace stillmon
