#include "display/sdl_indexed_surface.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>

#include "display/surface.h"

namespace stillmon {

SdlSurfacePtr make_indexed_surface(int width, int height) {
    SdlSurfacePtr indexed(
        SDL_CreateRGBSurfaceWithFormat(0, width, height, 8, SDL_PIXELFORMAT_INDEX8));
    if (!indexed || indexed->format->palette == nullptr) {
        return nullptr;
    }
    std::array<SDL_Color, 256> colours{};
    for (auto& colour : colours) {
        colour = SDL_Color{0, 0, 0, SDL_ALPHA_OPAQUE};
    }
    for (std::size_t i = 0; i < basic_palette.size(); ++i) {
        colours[i] = SDL_Color{basic_palette[i].red, basic_palette[i].green, basic_palette[i].blue,
                               SDL_ALPHA_OPAQUE};
    }
    const int entries = std::min(indexed->format->palette->ncolors, 256);
    if (SDL_SetPaletteColors(indexed->format->palette, colours.data(), 0, entries) != 0) {
        return nullptr;
    }
    return indexed;
}

std::vector<SDL_Rect> copy_changed_rows(const Surface& surface, SDL_Surface& indexed) {
    return copy_changed_rows(surface.width(), surface.height(), surface.pixels(), indexed);
}

std::vector<SDL_Rect> copy_changed_rows(int surface_width, int surface_height,
                                        std::span<const std::uint8_t> pixels,
                                        SDL_Surface& indexed) {
    const auto width = static_cast<std::size_t>(surface_width);
    const auto pitch = static_cast<std::size_t>(indexed.pitch);
    const std::uint8_t* source = pixels.data();
    auto* destination = static_cast<std::uint8_t*>(indexed.pixels);
    std::vector<SDL_Rect> bands;
    for (int y = 0; y < surface_height; ++y) {
        const auto row = static_cast<std::size_t>(y);
        const std::uint8_t* from = source + row * width;
        std::uint8_t* to = destination + row * pitch;
        if (std::memcmp(to, from, width) == 0) {
            continue;
        }
        std::memcpy(to, from, width);
        if (!bands.empty() && bands.back().y + bands.back().h == y) {
            ++bands.back().h;
        } else {
            bands.push_back(SDL_Rect{0, y, surface_width, 1});
        }
    }
    return bands;
}

}  // namespace stillmon
