#pragma once

#include <cstdint>
#include <functional>

#include "display/chart_window.h"
#include "display/presentation_pacer.h"

namespace stillmon {

class Surface;

// Brings what the main thread draws on the surface to the chart window, paced by a
// PresentationPacer, and takes in the window's events as they come while the main thread
// waits, so keys reach the key queue at once even during the cycle's waits. Main thread
// only, but for wake().
class WindowPresenter {
  public:
    using Clock = PresentationPacer::Clock;
    using Now = std::function<Clock::time_point()>;

    WindowPresenter(
        ChartWindow& window, const Surface& surface, Now now = [] { return Clock::now(); });

    // After each cycle's drawing: takes in the window's events, and presents the drawing or
    // keeps it back briefly when cycles come faster than the window can usefully show them.
    void cycle_drawn();

    // Before any wait, pause or prompt: presents everything drawn so far.
    void flush();

    // To be called often: takes in the window's events and presents kept-back drawing once
    // it is due, and drawing made outside cycle_drawn() (such as a prompt) as well.
    void service();

    // Flushes, then sleeps until the window's next event, a wake() or the deadline, whichever
    // comes first, and takes in what arrived.
    void wait_until(Clock::time_point deadline);
    void wait_for(Clock::duration duration);

    // Any thread: ends the main thread's wait now, or its next one at once.
    void wake() { window_.wake(); }

    std::uint64_t present_count() const { return present_count_; }

  private:
    bool drawing_unpresented() const;
    void present_now(Clock::time_point now);

    ChartWindow& window_;
    const Surface& surface_;
    Now now_;
    PresentationPacer pacer_;
    std::uint64_t presented_revision_;
    std::uint64_t present_count_ = 0;
};

}  // namespace stillmon
