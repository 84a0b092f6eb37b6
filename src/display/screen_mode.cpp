#include "display/screen_mode.h"

#include <cstdlib>

namespace stillmon {

ScreenGeometry choose_screen_geometry(std::string_view computer_name,
                                      std::string_view small_machine) {
    return computer_name == small_machine ? small_screen : large_screen;
}

std::string computer_name_from_environment() {
    const char* value = std::getenv("COMPUTERNAME");
    return value == nullptr ? std::string() : std::string(value);
}

}  // namespace stillmon
