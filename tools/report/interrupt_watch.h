#pragma once

#include "report/whole_output.h"

namespace stillmon::report {

// From here on an interrupt (Ctrl+C) or a request to terminate removes the outputs not yet
// moved into place and ends the process with 130 or 143, as shells report the signals.
// Called before any other thread starts and before any output is created.
void remove_outputs_on_interrupt(TemporaryOutputs& outputs);

}  // namespace stillmon::report
