#include "display/sdl_snapshot.h"

#include <SDL.h>
#include <SDL_image.h>

#include "display/sdl_indexed_surface.h"
#include "display/snapshot_name.h"
#include "display/surface.h"

namespace stillmon {

bool save_snapshot_png(const Surface& surface, const std::string& path, std::string* why_not) {
    SdlSurfacePtr indexed = make_indexed_surface(surface.width(), surface.height());
    if (!indexed) {
        if (why_not != nullptr) {
            *why_not = SDL_GetError();
        }
        return false;
    }
    copy_indexed_pixels(surface, *indexed);
    if (IMG_SavePNG(indexed.get(), path.c_str()) != 0) {
        if (why_not != nullptr) {
            *why_not = IMG_GetError();
        }
        return false;
    }
    return true;
}

bool take_snapshot(const Surface& surface, std::ostream& console) {
    const std::string name = snapshot_file_name_now();
    std::string why_not;
    if (save_snapshot_png(surface, name, &why_not)) {
        console << "Snapshot saved: " << name << std::endl;
        return true;
    }
    console << "Snapshot not saved: " << name << ": " << why_not << std::endl;
    return false;
}

}  // namespace stillmon
