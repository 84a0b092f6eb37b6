#include "display/display_server.h"

#include <X11/Xlib.h>
#include <X11/Xproto.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace stillmon {

namespace {

bool variable_set(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

// SDL wakes its own waiting event loop by sending an event to its window over a second
// connection. A run that ends just after such a wake-up destroys the window before the
// server has delivered it, and the late delivery comes back refused: nothing was lost.
bool is_late_wake_up(const XErrorEvent& error) {
    return error.request_code == X_SendEvent && error.error_code == BadWindow;
}

// Any other refused request is said once: a window that draws wrong is worth a line, not
// the end of the logs. (Xlib's handler takes no context; the first-time flag is its only
// state.)
extern "C" int go_on_after_refused_request(Display* display, XErrorEvent* error) {
    static std::atomic<bool> said{false};
    if (is_late_wake_up(*error) || said.exchange(true)) {
        return 0;
    }
    char reason[256] = "";
    XGetErrorText(display, error->error_code, reason, sizeof reason);
    std::fprintf(stderr,
                 "stillmon: the display refused a request (%s, request %d.%d); the run goes "
                 "on, and further refusals are not reported\n",
                 reason, error->request_code, error->minor_code);
    return 0;
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

void keep_refused_display_requests_from_ending_the_run() {
    XSetErrorHandler(go_on_after_refused_request);
}

}  // namespace stillmon
