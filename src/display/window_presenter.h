#pragma once

#include <cstdint>
#include <functional>

#include "display/chart_window.h"
#include "display/presentation_pacer.h"

namespace stillmon {

class Surface;

// Brings what the main thread draws on the surface to the chart window, paced by a
// PresentationPacer, and keeps the window's events flowing while the main thread waits, so
// keys reach the key queue within a few milliseconds even during the cycle's waits.
// Main thread only.
class WindowPresenter {
  public:
    using Clock = PresentationPacer::Clock;

    struct Timing {
        std::function<Clock::time_point()> now;
        std::function<void(Clock::duration)> sleep;
    };
    static Timing real_timing();

    // Longest gap between two looks at the window's events while waiting.
    static constexpr std::chrono::milliseconds event_interval{10};

    WindowPresenter(ChartWindow& window, const Surface& surface, Timing timing = real_timing());

    // After each cycle's drawing: takes in the window's events, and presents the drawing or
    // keeps it back briefly when cycles come faster than the window can usefully show them.
    void cycle_drawn();

    // Before any wait, pause or prompt: presents everything drawn so far.
    void flush();

    // To be called often: takes in the window's events and presents kept-back drawing once
    // it is due, and drawing made outside cycle_drawn() (such as a prompt) as well.
    void service();

    // Flushes, then waits until the deadline while calling service() every few milliseconds.
    void wait_until(Clock::time_point deadline);
    void wait_for(Clock::duration duration);

    std::uint64_t present_count() const { return present_count_; }

  private:
    bool drawing_unpresented() const;
    void present_now(Clock::time_point now);

    ChartWindow& window_;
    const Surface& surface_;
    Timing timing_;
    PresentationPacer pacer_;
    std::uint64_t presented_revision_;
    std::uint64_t present_count_ = 0;
};

}  // namespace stillmon
