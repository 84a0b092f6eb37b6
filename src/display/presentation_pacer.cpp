#include "display/presentation_pacer.h"

namespace stillmon {

bool PresentationPacer::drawn(Clock::time_point now) {
    pending_ = true;
    return due(now);
}

bool PresentationPacer::due(Clock::time_point now) const {
    if (!pending_) {
        return false;
    }
    return !last_presented_ || now - *last_presented_ >= interval_;
}

void PresentationPacer::presented(Clock::time_point now) {
    pending_ = false;
    last_presented_ = now;
}

std::optional<PresentationPacer::Clock::time_point> PresentationPacer::deadline() const {
    if (!pending_) {
        return std::nullopt;
    }
    if (!last_presented_) {
        return Clock::time_point::min();
    }
    return *last_presented_ + interval_;
}

}  // namespace stillmon
