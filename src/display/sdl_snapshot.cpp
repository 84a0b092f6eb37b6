#include "display/sdl_snapshot.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <span>

#include "display/sdl_indexed_surface.h"
#include "display/snapshot_name.h"
#include "display/surface.h"

namespace stillmon {

namespace {

// The one way pixels become a PNG, for snapshot files and the page's picture alike: an
// indexed surface with the chart palette, written through SDL_image. Takes `out` over.
bool write_png(int width, int height, std::span<const std::uint8_t> pixels, SDL_RWops* out,
               std::string* why_not) {
    SdlSurfacePtr indexed = make_indexed_surface(width, height);
    if (!indexed || out == nullptr) {
        if (why_not != nullptr) {
            *why_not = SDL_GetError();
        }
        if (out != nullptr) {
            SDL_RWclose(out);
        }
        return false;
    }
    copy_changed_rows(width, height, pixels, *indexed);
    if (IMG_SavePNG_RW(indexed.get(), out, 1) != 0) {
        if (why_not != nullptr) {
            *why_not = IMG_GetError();
        }
        return false;
    }
    return true;
}

// An SDL stream that appends what is written to a string: SDL's own memory streams have a
// fixed size.
SDL_RWops* string_writer(std::string& into) {
    SDL_RWops* stream = SDL_AllocRW();
    if (stream == nullptr) {
        return nullptr;
    }
    stream->type = SDL_RWOPS_UNKNOWN;
    stream->hidden.unknown.data1 = &into;
    stream->size = [](SDL_RWops* self) -> Sint64 {
        return static_cast<Sint64>(static_cast<std::string*>(self->hidden.unknown.data1)->size());
    };
    stream->seek = [](SDL_RWops* self, Sint64, int) -> Sint64 {
        return static_cast<Sint64>(static_cast<std::string*>(self->hidden.unknown.data1)->size());
    };
    stream->read = [](SDL_RWops*, void*, size_t, size_t) -> size_t { return 0; };
    stream->write = [](SDL_RWops* self, const void* data, size_t size, size_t count) -> size_t {
        static_cast<std::string*>(self->hidden.unknown.data1)
            ->append(static_cast<const char*>(data), size * count);
        return count;
    };
    stream->close = [](SDL_RWops* self) -> int {
        SDL_FreeRW(self);
        return 0;
    };
    return stream;
}

}  // namespace

bool save_snapshot_png(const Surface& surface, const std::string& path, std::string* why_not) {
    return write_png(surface.width(), surface.height(), surface.pixels(),
                     SDL_RWFromFile(path.c_str(), "wb"), why_not);
}

std::optional<std::string> encode_picture_png(const WindowPicture& picture) {
    std::string png;
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.indices.size() !=
            static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height) ||
        !write_png(picture.width, picture.height, picture.indices, string_writer(png), nullptr)) {
        return std::nullopt;
    }
    return png;
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
