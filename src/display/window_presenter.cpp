#include "display/window_presenter.h"

#include <utility>

#include "display/surface.h"

namespace stillmon {

WindowPresenter::WindowPresenter(ChartWindow& window, const Surface& surface, Now now)
    : window_(window),
      surface_(surface),
      now_(std::move(now)),
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
    const auto now = now_();
    if (pacer_.drawn(now)) {
        present_now(now);
    }
}

void WindowPresenter::flush() {
    if (drawing_unpresented()) {
        present_now(now_());
    }
}

void WindowPresenter::service() {
    window_.pump_events();
    if (!drawing_unpresented()) {
        return;
    }
    const auto now = now_();
    if (!pacer_.flush_needed()) {
        pacer_.drawn(now);
    }
    if (pacer_.due(now)) {
        present_now(now);
    }
}

void WindowPresenter::wait_until(Clock::time_point deadline) {
    // Nothing is left kept back to become due during the wait.
    flush();
    window_.wait_events(deadline);
}

void WindowPresenter::wait_for(Clock::duration duration) {
    wait_until(now_() + duration);
}

}  // namespace stillmon
