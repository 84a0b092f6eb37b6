#include "startup/main_thread_host.h"

#include <chrono>

namespace stillmon {

using SteadyClock = std::chrono::steady_clock;

void MainThreadHost::wait_ms(int duration_ms) {
    publish_picture(true);
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(duration_ms);
    do {
        at_.presenter.wait_until(deadline);
        take_snapshot_if_requested();
    } while (SteadyClock::now() < deadline);
}

void MainThreadHost::wait_for_wake_up() {
    publish_picture(true);
    at_.presenter.wait_until(SteadyClock::time_point::max());
    take_snapshot_if_requested();
}

void MainThreadHost::keep_window_live() {
    at_.presenter.service();
    take_snapshot_if_requested();
}

void MainThreadHost::cycle_drawn(const CycleRecord& record) {
    if (at_.view != nullptr) {
        at_.view->publish_cycle(record, at_.now_s());
    }
    at_.presenter.cycle_drawn();
    publish_picture(false);
    take_snapshot_if_requested();
}

void MainThreadHost::take_snapshot_if_requested() {
    if (at_.state.snapshot_request.exchange(false)) {
        at_.presenter.flush();
        at_.save_snapshot(at_.surface, at_.console);
        at_.console.flush();
    }
}

// A copy whenever the picture changed and the main thread is about to wait; at most a few a
// second while cycles follow each other without waiting (a replay at full speed).
void MainThreadHost::publish_picture(bool about_to_wait) {
    constexpr double busy_interval_s = 0.25;
    if (at_.view == nullptr || at_.surface.revision() == picture_revision_) {
        return;
    }
    const double now = at_.now_s();
    if (!about_to_wait && now - picture_time_s_ < busy_interval_s) {
        return;
    }
    const auto pixels = at_.surface.pixels();
    at_.view->publish_picture(
        {at_.surface.width(), at_.surface.height(), {pixels.begin(), pixels.end()}});
    picture_revision_ = at_.surface.revision();
    picture_time_s_ = now;
}

}  // namespace stillmon
