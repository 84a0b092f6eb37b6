#include "stillsim/frame_schedule.h"

namespace stillmon::stillsim {

FrameSchedule::FrameSchedule(double period_s, double jitter_s, std::uint32_t seed)
    : period_s_(period_s), jitter_s_(jitter_s), random_(seed) {}

double FrameSchedule::next_interval_s() {
    // Built from the raw 32-bit draw rather than a library distribution, whose
    // algorithm differs between standard libraries.
    const double unit = static_cast<double>(random_()) / 4294967295.0;
    return period_s_ + jitter_s_ * (2.0 * unit - 1.0);
}

}  // namespace stillmon::stillsim
