#include "display/display_server.h"

namespace stillmon {

// A Windows session always has its desktop; whether a window opens on it is SDL's to say.
std::string why_no_display_server() {
    return {};
}

}  // namespace stillmon
