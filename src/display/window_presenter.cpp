#include "display/window_presenter.h"

#include <algorithm>
#include <thread>
#include <utility>

#include "display/surface.h"

namespace stillmon {

WindowPresenter::Timing WindowPresenter::real_timing() {
    return {[] { return Clock::now(); },
            [](Clock::duration duration) { std::this_thread::sleep_for(duration); }};
}

WindowPresenter::WindowPresenter(ChartWindow& window, const Surface& surface, Timing timing)
    : window_(window),
      surface_(surface),
      timing_(std::move(timing)),
      presented_revision_(surface.revision() - 1) {}  // the first look shows the surface

bool WindowPresenter::drawing_unpresented() const {
    return surface_.revision() != presented_revision_;
}

void WindowPresenter::present_now(Clock::time_point now) {
    window_.present(surface_);
    presented_revision_ = surface_.revision();
    pacer_.presented(now);
    ++present_count_;
}

void WindowPresenter::cycle_drawn() {
    // A replay without delay goes from cycle to cycle without ever waiting: the operator's
    // keys (pause, quit) must still get through.
    window_.pump_events();
    if (!drawing_unpresented()) {
        return;
    }
    const auto now = timing_.now();
    if (pacer_.drawn(now)) {
        present_now(now);
    }
}

void WindowPresenter::flush() {
    if (drawing_unpresented()) {
        present_now(timing_.now());
    }
}

void WindowPresenter::service() {
    window_.pump_events();
    if (!drawing_unpresented()) {
        return;
    }
    const auto now = timing_.now();
    if (!pacer_.flush_needed()) {
        pacer_.drawn(now);
    }
    if (pacer_.due(now)) {
        present_now(now);
    }
}

void WindowPresenter::wait_until(Clock::time_point deadline) {
    flush();
    window_.pump_events();
    for (auto now = timing_.now(); now < deadline; now = timing_.now()) {
        timing_.sleep(std::min<Clock::duration>(deadline - now, event_interval));
        service();
    }
}

void WindowPresenter::wait_for(Clock::duration duration) {
    wait_until(timing_.now() + duration);
}

}  // namespace stillmon
