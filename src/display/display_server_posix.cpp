#include "display/display_server.h"

#include <cstdlib>

namespace stillmon {

namespace {

bool variable_set(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

}  // namespace

// X11 and Wayland clients find their server through the environment; without either SDL
// would only fall back to a driver that draws into memory.
std::string why_no_display_server() {
    if (!variable_set("DISPLAY") && !variable_set("WAYLAND_DISPLAY")) {
        return "neither DISPLAY nor WAYLAND_DISPLAY is set";
    }
    return {};
}

}  // namespace stillmon
