#include "link/frame_assembler.h"

#include <algorithm>

namespace stillmon {

void FrameAssembler::add(std::span<const std::uint8_t> bytes, Clock::time_point arrival) {
    if (bytes.empty()) {
        return;
    }
    if (!partial_.empty() && arrival - last_arrival_ > frame_gap_limit) {
        partial_.clear();
    }
    last_arrival_ = arrival;
    for (const std::uint8_t byte : bytes) {
        partial_.push_back(byte);
        if (partial_.size() == frame_size_bytes) {
            if (frames_.size() == frames_kept) {
                frames_.pop_front();
            }
            FrameBytes& frame = frames_.emplace_back();
            std::copy(partial_.begin(), partial_.end(), frame.begin());
            partial_.clear();
        }
    }
}

std::optional<FrameBytes> FrameAssembler::take_frame() {
    if (frames_.empty()) {
        return std::nullopt;
    }
    const FrameBytes frame = frames_.front();
    frames_.pop_front();
    return frame;
}

void FrameAssembler::drop_unfinished_frame() {
    partial_.clear();
}

}  // namespace stillmon
