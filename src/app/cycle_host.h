#pragma once

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
    // Called about every 10 ms while a frame read waits for the device.
    virtual void keep_alive() = 0;
    // A cycle's drawing is complete.
    virtual void cycle_drawn() = 0;
};

}  // namespace stillmon
