#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "display/surface.h"

namespace stillmon::test_support {

// An image as 8-bit red, green, blue triples, row-major from the top-left corner.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

// The surface as it appears on screen: each palette index turned into its basic colour.
RgbImage rgb_of(const Surface& surface);

// Writes the surface as an indexed PNG over the 16 basic colours. Returns an error text, or
// nothing on success.
std::optional<std::string> write_surface_png(const Surface& surface, const std::string& path);

// Reads any PNG as RGB; an error text in `error` and nothing returned when it cannot.
std::optional<RgbImage> read_png_rgb(const std::string& path, std::string& error);

}  // namespace stillmon::test_support
