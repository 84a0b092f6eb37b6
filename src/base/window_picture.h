#pragma once

#include <cstdint>
#include <vector>

namespace stillmon {

// A copy of the chart window's pixels (palette indices, row-major from the top-left corner),
// taken by the main thread between cycles so that other threads can encode it while the
// window is drawn on.
struct WindowPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> indices;
};

}  // namespace stillmon
