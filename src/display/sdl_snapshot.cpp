#include "display/sdl_snapshot.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

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
    copy_changed_rows(surface, *indexed);
    if (IMG_SavePNG(indexed.get(), path.c_str()) != 0) {
        if (why_not != nullptr) {
            *why_not = IMG_GetError();
        }
        return false;
    }
    return true;
}

namespace {

// Claims the first free name of the series, so a snapshot never replaces an earlier one; the
// claim is atomic, so two snapshots in one second cannot both take the same name.
std::optional<std::string> claim_snapshot_name(const std::string& name, std::string& why_not) {
    for (int n = 1;; ++n) {
        std::string candidate = numbered_snapshot_name(name, n);
        if (std::FILE* claimed = std::fopen(candidate.c_str(), "wbx")) {
            std::fclose(claimed);
            return candidate;
        }
        if (errno != EEXIST) {
            why_not = std::strerror(errno);
            return std::nullopt;
        }
    }
}

}  // namespace

bool take_snapshot(const Surface& surface, std::ostream& console) {
    const std::string first_choice = snapshot_file_name_now();
    std::string why_not;
    const std::optional<std::string> name = claim_snapshot_name(first_choice, why_not);
    if (name && save_snapshot_png(surface, *name, &why_not)) {
        console << "Snapshot saved: " << *name << std::endl;
        return true;
    }
    if (name) {
        std::remove(name->c_str());
    }
    console << "Snapshot not saved: " << name.value_or(first_choice) << ": " << why_not
            << std::endl;
    return false;
}

}  // namespace stillmon
