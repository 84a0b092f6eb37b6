#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace stillmon {

class Surface;

struct SdlSurfaceDeleter {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SdlSurfacePtr = std::unique_ptr<SDL_Surface, SdlSurfaceDeleter>;

// An 8-bit SDL surface with the chart's palette (the 16 basic colours, the other entries
// black), ready to take a Surface's pixels; null when SDL cannot make one.
SdlSurfacePtr make_indexed_surface(int width, int height);

// Copies the surface's palette indices into an indexed SDL surface of the same size, row by
// row where they differ from what it holds. Returns the rows copied, as bands of whole rows
// from the top down.
std::vector<SDL_Rect> copy_changed_rows(const Surface& surface, SDL_Surface& indexed);
// The same for pixels held elsewhere (a copy of the surface's), width x height of them.
std::vector<SDL_Rect> copy_changed_rows(int width, int height, std::span<const std::uint8_t> pixels,
                                        SDL_Surface& indexed);

}  // namespace stillmon
