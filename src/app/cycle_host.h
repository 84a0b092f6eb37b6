#pragma once

#include "base/cycle_record.h"

namespace stillmon {

// What the acquisition cycle needs of the main thread's surroundings: the clock, waiting,
// and showing what it drew. Waiting keeps the window's events and the operator's keys
// flowing; tests drive it with a fake clock.
class CycleHost {
  public:
    virtual ~CycleHost() = default;

    // Monotonic clock, seconds; only differences are used.
    virtual double now_s() = 0;
    // Shows what has been drawn, then waits.
    virtual void wait_ms(int duration_ms) = 0;
    // While a frame read waits for the device: shows what has been drawn, then sleeps until
    // wake_up() (one that came before counts too), perhaps less.
    virtual void wait_for_wake_up() = 0;
    // Serves the window's events and the operator's keys without waiting, between reads that
    // drew nothing.
    virtual void keep_window_live() = 0;
    // Any thread.
    virtual void wake_up() = 0;
    // The cycle has asked the supervisor for something (a link reset): it is to look now
    // rather than at its next deadline.
    virtual void wake_supervisor() = 0;
    // A cycle's drawing is complete; `record` holds its values for readers outside the window.
    virtual void cycle_drawn(const CycleRecord& record) = 0;
};

}  // namespace stillmon
