#include "system/installed_documentation.h"

namespace stillmon {

std::string_view installed_documentation() {
    return "file:///usr/share/doc/stillmon/README.md";
}

}  // namespace stillmon
