#pragma once

#include <cstdint>
#include <string>

namespace stillmon {

// The texts of the three forms in which numbers are printed straight onto the screen.
// Each puts a blank before a value that is not negative.
std::string integer_form(std::int32_t value);  // printf "% d"
std::string short_form(std::int16_t value);    // printf "% hd"
std::string single_form(float value);          // printf "%.7g", no trailing point, blank if >= 0

}  // namespace stillmon
