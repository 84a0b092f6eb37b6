#include "link/frame_assembler.h"

#include <numeric>
#include <vector>

#include <gtest/gtest.h>

namespace stillmon {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

Bytes frame_of(std::uint8_t first) {
    Bytes bytes(frame_size_bytes);
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

Bytes taken(FrameAssembler& assembler) {
    const auto frame = assembler.take_frame();
    return frame ? Bytes(frame->begin(), frame->end()) : Bytes{};
}

TEST(FrameAssembler, ASilenceInsideAFrameDropsTheBytesBeforeIt) {
    FrameAssembler assembler;
    const FrameAssembler::Clock::time_point start{};
    const Bytes first = frame_of(1);
    // Slow chunks without a long silence inside a frame still make a frame.
    for (std::size_t at = 0; at < first.size(); at += 7) {
        assembler.add(std::span(first).subspan(at, std::min<std::size_t>(7, first.size() - at)),
                      start + at / 7 * 100ms);
    }
    EXPECT_EQ(taken(assembler), first);

    // One byte short, then the next frame 0.85 s later: in step again.
    assembler.add(std::span(first).first(frame_size_bytes - 1), start + 1s);
    assembler.add(frame_of(101), start + 1850ms);
    EXPECT_EQ(taken(assembler), frame_of(101));

    // A close keeps whole frames; after the re-open the first byte starts a frame.
    assembler.add(first, start + 3s);
    assembler.add(std::span(first).first(10), start + 3s);
    assembler.drop_unfinished_frame();
    assembler.add(frame_of(101), start + 3s + 1ms);
    EXPECT_EQ(taken(assembler), first);
    EXPECT_EQ(taken(assembler), frame_of(101));
    EXPECT_EQ(taken(assembler), Bytes{});
}

}  // namespace
}  // namespace stillmon
