#include "link/frame_assembler.h"

#include <numeric>
#include <vector>

#include <gtest/gtest.h>

namespace stillmon {
namespace {

using namespace std::chrono_literals;
using Clock = FrameAssembler::Clock;

std::vector<std::uint8_t> frame_of(std::uint8_t first) {
    std::vector<std::uint8_t> bytes(frame_size_bytes);
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

std::vector<std::uint8_t> taken(FrameAssembler& assembler) {
    const auto frame = assembler.take_frame();
    return frame ? std::vector<std::uint8_t>(frame->begin(), frame->end())
                 : std::vector<std::uint8_t>{};
}

TEST(FrameAssembler, CutsAnAlignedStreamIntoFramesWhateverTheChunks) {
    FrameAssembler assembler;
    const Clock::time_point start{};
    std::vector<std::uint8_t> stream = frame_of(1);
    const auto second = frame_of(101);
    stream.insert(stream.end(), second.begin(), second.end());
    // Chunks of 7 bytes 100 ms apart: slow, but never a silence inside a frame.
    for (std::size_t at = 0; at < stream.size(); at += 7) {
        const std::size_t count = std::min<std::size_t>(7, stream.size() - at);
        assembler.add(std::span(stream).subspan(at, count), start + at / 7 * 100ms);
    }
    EXPECT_EQ(taken(assembler), frame_of(1));
    EXPECT_EQ(taken(assembler), frame_of(101));
    EXPECT_EQ(taken(assembler), std::vector<std::uint8_t>{});
    EXPECT_EQ(assembler.damaged_frames(), 0u);
}

TEST(FrameAssembler, ASilenceInsideAFrameDropsTheBytesBeforeIt) {
    FrameAssembler assembler;
    const Clock::time_point start{};
    const auto damaged = frame_of(1);  // arrives one byte short
    assembler.add(std::span(damaged).first(frame_size_bytes - 1), start);
    assembler.add(frame_of(101), start + 850ms);
    EXPECT_EQ(taken(assembler), frame_of(101));
    EXPECT_EQ(assembler.damaged_frames(), 1u);

    // Exactly the limit is still one burst; only a longer silence splits.
    assembler.add(std::span(damaged).first(10), start + 2s);
    assembler.add(std::span(damaged).subspan(10), start + 2s + FrameAssembler::frame_gap_limit);
    EXPECT_EQ(taken(assembler), frame_of(1));

    // A close keeps the whole frames; after the re-open the first byte starts a frame.
    assembler.add(frame_of(1), start + 3s);
    assembler.add(std::span(damaged).first(10), start + 3s);
    assembler.drop_unfinished_frame();
    assembler.add(frame_of(101), start + 3s + 1ms);
    EXPECT_EQ(taken(assembler), frame_of(1));
    EXPECT_EQ(taken(assembler), frame_of(101));
    EXPECT_EQ(assembler.damaged_frames(), 1u);
}

}  // namespace
}  // namespace stillmon
