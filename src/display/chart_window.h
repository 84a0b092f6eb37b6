#pragma once

namespace stillmon {

class Surface;

// Where the chart surface is shown. The program draws into a Surface and hands it over to be
// shown; the window's own events (keys, close control, exposure) are taken in by
// pump_events(). Both are called on the main thread only.
class ChartWindow {
  public:
    virtual ~ChartWindow() = default;

    // Makes the window show the surface's pixels as they are now.
    virtual void present(const Surface& surface) = 0;

    // Takes in whatever the window has received since the last call, without waiting.
    virtual void pump_events() = 0;
};

// The chart window of a run without a display: nothing is shown, nothing arrives.
class HeadlessChartWindow final : public ChartWindow {
  public:
    void present(const Surface&) override {}
    void pump_events() override {}
};

}  // namespace stillmon
