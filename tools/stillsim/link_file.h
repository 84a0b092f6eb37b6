#pragma once

#include <string>

namespace stillmon::stillsim {

// A fixed path for the reader to open while the terminal behind it may change (a hang-up
// brings a new /dev/pts number). The link is re-pointed atomically: a symbolic link under
// a temporary name renamed over the old one, so a reader never finds the path missing
// between two terminals.
//
// Returns an empty text on success, else what went wrong. A path that exists and is not
// a symbolic link is left alone and reported.
std::string point_link_at(const std::string& link_path, const std::string& target);

// Removes the link if it still points at `target`: a link that someone else has taken
// over meanwhile stays.
void remove_link_to(const std::string& link_path, const std::string& target);

}  // namespace stillmon::stillsim
