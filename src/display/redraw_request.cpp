#include "display/redraw_request.h"

#include "display/guide_line.h"

namespace stillmon {

void handle_redraw_request(OperatorState& state, Surface& surface) {
    if (!state.redraw_requested.exchange(false)) {
        return;
    }
    state.clear_entry();
    surface.clear();
    draw_guide_line(surface);
}

}  // namespace stillmon
