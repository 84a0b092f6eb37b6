#pragma once

#include <string>

namespace stillmon {

// Whether the system can show a window at all, asked before SDL is started: empty when it
// can, else why not (said on the console when the run goes on without a window). One file
// per system.
std::string why_no_display_server();

}  // namespace stillmon
