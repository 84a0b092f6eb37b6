#pragma once

#include <string_view>

namespace stillmon {

// Where the installed documentation is, as the window's title names it when no page is
// served: the Debian package's README on Linux, the README beside stillmon.exe on Windows.
std::string_view installed_documentation();

}  // namespace stillmon
