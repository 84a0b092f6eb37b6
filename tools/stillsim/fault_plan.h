#pragma once

#include <cstdint>
#include <random>

namespace stillmon::stillsim {

enum class FaultKind {
    stall,         // the device sends nothing for `length_s`, then goes on
    hangup,        // the terminal closes; a new one appears `length_s` later
    dropped_byte,  // the next frame goes out without its byte number `byte_index`
    period_error,  // the next `frames` frames come `period_s` apart
};

struct PlannedFault {
    double gap_s = 0.0;  // quiet time after the previous fault is over (or the start)
    FaultKind kind = FaultKind::stall;
    double length_s = 0.0;  // stall, hangup
    int byte_index = 0;     // dropped_byte: 0..37
    int frames = 0;         // period_error
    double period_s = 0.0;  // period_error
};

// Faults at random for long runs: each kind equally likely, gaps uniform in half to one and
// a half times the mean gap. The bounds sit well clear of the reader's limits: a stall or a
// hang-up lasts 3-8 s or 2-5 s (longer than the 2 s after which the reader re-opens), and a
// period error is 3-6 frames 1.1-1.5 s apart (slow, but never silent long enough for a
// re-open, and far fewer than the 61 in a row that make one). The same seed gives the same
// faults on every machine.
class FaultPlan {
  public:
    static constexpr double stall_min_s = 3.0;
    static constexpr double stall_max_s = 8.0;
    static constexpr double hangup_min_s = 2.0;
    static constexpr double hangup_max_s = 5.0;
    static constexpr int burst_min_frames = 3;
    static constexpr int burst_max_frames = 6;
    static constexpr double burst_min_period_s = 1.1;
    static constexpr double burst_max_period_s = 1.5;

    FaultPlan(double mean_gap_s, std::uint32_t seed);

    PlannedFault next();

  private:
    double uniform(double low, double high);
    int whole_number(int low, int high);  // low..high inclusive

    double mean_gap_s_;
    std::mt19937 random_;
};

}  // namespace stillmon::stillsim
