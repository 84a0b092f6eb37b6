#pragma once

#include <chrono>
#include <optional>

namespace stillmon {

// When drawn content is shown. After each cycle's drawing the window is presented, but cycles
// that follow each other faster than that (a fast replay) are shown at most once per interval:
// what is kept back is shown as soon as the interval has passed, so nothing drawn stays
// unshown for longer than one interval. Before any wait, pause or prompt everything drawn is
// shown (flush). Pure: the caller passes the clock's readings.
class PresentationPacer {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds default_interval{15};

    explicit PresentationPacer(Clock::duration interval = default_interval) : interval_(interval) {}

    // New drawing was finished at `now`. True when it is to be presented now; otherwise it is
    // kept back until due().
    bool drawn(Clock::time_point now);

    // True when kept-back drawing is to be presented now.
    bool due(Clock::time_point now) const;

    // True when anything drawn has not been presented: before a wait it is presented now.
    bool flush_needed() const { return pending_; }

    // The window was presented at `now`.
    void presented(Clock::time_point now);

    // The latest moment kept-back drawing may wait for; nothing when there is none.
    std::optional<Clock::time_point> deadline() const;

  private:
    Clock::duration interval_;
    bool pending_ = false;
    std::optional<Clock::time_point> last_presented_;
};

}  // namespace stillmon
