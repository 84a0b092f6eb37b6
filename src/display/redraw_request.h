#pragma once

#include "base/operator_state.h"
#include "display/surface.h"

namespace stillmon {

// Run first in every acquisition cycle. On a pending request (the operator's "c" key) the
// typed entry is dropped and the window is left with the guide line only; the strip charts
// and the status panel bring everything else back later in the same cycle.
void handle_redraw_request(OperatorState& state, Surface& surface);

}  // namespace stillmon
