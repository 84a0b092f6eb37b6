#include "display/display_server.h"

namespace stillmon {

// A Windows session always has its desktop; whether a window opens on it is SDL's to say.
std::string why_no_display_server() {
    return {};
}

// Windows reports a refused request to its caller; nothing ends the program for it.
void keep_refused_display_requests_from_ending_the_run() {}

}  // namespace stillmon
