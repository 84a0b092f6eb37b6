#pragma once

#include <cstdint>
#include <random>

namespace stillmon::stillsim {

// The gaps between frames: the period plus a jitter drawn uniformly from
// [-jitter, +jitter]. The same seed gives the same gaps on every machine.
class FrameSchedule {
  public:
    FrameSchedule(double period_s, double jitter_s, std::uint32_t seed);

    double next_interval_s();
    double period_s() const { return period_s_; }

  private:
    double period_s_;
    double jitter_s_;
    std::mt19937 random_;
};

}  // namespace stillmon::stillsim
