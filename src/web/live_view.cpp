#include "web/live_view.h"

#include <utility>

namespace stillmon {

void LiveView::publish_cycle(const CycleRecord& record, double now_s) {
    history_.push(record);
    if (record.timing_errors > 0) {
        timing_errors_.fetch_add(1);
    }
    if (record.has_reflux_ratio) {
        reflux_ratio_.store(record.reflux_ratio);
        has_reflux_ratio_.store(true);
    }
    last_cycle_time_.store(now_s);
}

std::optional<float> LiveView::last_reflux_ratio() const {
    if (!has_reflux_ratio_.load()) {
        return std::nullopt;
    }
    return reflux_ratio_.load();
}

void LiveView::publish_picture(WindowPicture picture) {
    // Built outside the lock; the lock covers the exchange of two pointers. The old picture
    // is freed by whoever lets go of it last, here or on a server thread still encoding it.
    auto published = std::make_shared<PublishedPicture>();
    published->picture = std::move(picture);
    std::shared_ptr<const PublishedPicture> old;
    std::lock_guard lock(picture_mutex_);
    published->serial = picture_ ? picture_->serial + 1 : 1;
    old = std::exchange(picture_, std::move(published));
}

LinkStatus LiveView::link_status() const {
    LinkStatus status;
    status.cycles = history_.newest_index();
    status.timing_errors = timing_errors_.load();
    status.reopens = reopens_.load();
    if (const double last = last_cycle_time_.load(); last >= 0.0) {
        status.last_cycle_time = last;
    }
    return status;
}

std::shared_ptr<const PublishedPicture> LiveView::picture() const {
    std::lock_guard lock(picture_mutex_);
    return picture_;
}

}  // namespace stillmon
