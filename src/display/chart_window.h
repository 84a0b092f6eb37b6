#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "base/key_queue.h"
#include "display/screen_geometry.h"

namespace stillmon {

class Surface;

// Where the chart surface is shown. The program draws into a Surface and hands it over to be
// shown; the window's own events (keys, close control, exposure) are taken in by
// pump_events() or wait_events(). All but wake() are called on the main thread only.
class ChartWindow {
  public:
    using Clock = std::chrono::steady_clock;

    virtual ~ChartWindow() = default;

    // Makes the window show the surface's pixels as they are now.
    virtual void present(const Surface& surface) = 0;

    // Takes in whatever the window has received since the last call, without waiting.
    virtual void pump_events() = 0;

    // Sleeps until the window receives something, wake() is called or the deadline comes,
    // whichever is first, and takes in what arrived. A wake() made while nobody waited ends
    // the next wait at once.
    virtual void wait_events(Clock::time_point deadline) = 0;

    // Any thread: ends the main thread's wait_events now.
    virtual void wake() = 0;
};

// Opens the chart window at the geometry's size with the title, its keys going to `keys`; or
// returns null and says why not (display/sdl_window.h's open_sdl_window is the real one).
using WindowOpener = std::function<std::unique_ptr<ChartWindow>(
    const ScreenGeometry& geometry, std::string_view title, KeyQueue& keys, std::string* why_not)>;

// The chart window of a run without a display: nothing is shown, nothing arrives but the
// wake-ups.
class HeadlessChartWindow final : public ChartWindow {
  public:
    void present(const Surface&) override {}
    void pump_events() override {}

    void wait_events(Clock::time_point deadline) override {
        std::unique_lock lock(mutex_);
        // A deadline far off (no deadline at all) is not given to the clock's arithmetic.
        if (deadline > Clock::now() + std::chrono::hours(24)) {
            woken_signal_.wait(lock, [this] { return woken_; });
        } else {
            woken_signal_.wait_until(lock, deadline, [this] { return woken_; });
        }
        woken_ = false;
    }

    void wake() override {
        {
            std::lock_guard lock(mutex_);
            woken_ = true;
        }
        woken_signal_.notify_all();
    }

  private:
    std::mutex mutex_;
    std::condition_variable woken_signal_;
    bool woken_ = false;
};

}  // namespace stillmon
