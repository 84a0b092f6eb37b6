#pragma once

#include <string>

namespace stillmon {

// Whether the system can show a window at all, asked before SDL is started: empty when it
// can, else why not (said on the console when the run goes on without a window). One file
// per system.
std::string why_no_display_server();

// Keeps a request the display server refuses from ending the program, as the X library's
// own handler would (it prints the error and exits with status 1). Called before SDL opens
// its connections: SDL hands every error on to the handler it found at its start, and puts
// that handler back before it closes them. A lost connection still ends the program.
void keep_refused_display_requests_from_ending_the_run();

}  // namespace stillmon
