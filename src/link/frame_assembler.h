#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <vector>

#include "base/telemetry_frame.h"

namespace stillmon {

using FrameBytes = std::array<std::uint8_t, frame_size_bytes>;

// Cuts the serial link's byte stream into frames. The stream has no start marker, so frames
// are counted from the first byte after the port opened. The device sends each frame as one
// burst, about every 0.85 s; when the bytes of a frame are split by a silence longer than
// frame_gap_limit, the frame lost bytes on the way: the bytes before the silence are dropped
// and the frame starts again at the first byte after it. An aligned stream is unaffected, and
// after a lost byte one damaged frame is dropped and the next is read in step. Pure: the
// caller says when bytes arrived.
class FrameAssembler {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds frame_gap_limit{250};
    // Frames not yet taken are kept up to this many; older ones give way (the device has
    // been sending while nobody read for longer than a minute).
    static constexpr std::size_t frames_kept = 64;

    void add(std::span<const std::uint8_t> bytes, Clock::time_point arrival);

    // The oldest complete frame not yet taken.
    std::optional<FrameBytes> take_frame();
    bool has_frame() const { return !frames_.empty(); }

    // The port was closed: the bytes of an unfinished frame are lost, and after the re-open
    // its first byte starts a frame. Whole frames not yet taken stay: the device sent them.
    void drop_unfinished_frame();

  private:
    std::deque<FrameBytes> frames_;
    std::vector<std::uint8_t> partial_;
    Clock::time_point last_arrival_{};
};

}  // namespace stillmon
