#pragma once

#include <string>
#include <string_view>

#include "display/screen_geometry.h"

namespace stillmon {

// The machine whose monitor takes the small window; set when building.
inline constexpr std::string_view small_screen_machine = STILLMON_SMALL_SCREEN_NAME;

// The window size for a machine: the small mode when the machine's name is exactly the
// configured one (case counts), the large mode otherwise.
ScreenGeometry choose_screen_geometry(std::string_view computer_name,
                                      std::string_view small_machine = small_screen_machine);

// The value of the environment variable "COMPUTERNAME"; empty when it is not set.
std::string computer_name_from_environment();

}  // namespace stillmon
