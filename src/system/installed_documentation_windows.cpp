#include "system/installed_documentation.h"

namespace stillmon {

std::string_view installed_documentation() {
    return "README.md beside stillmon.exe";
}

}  // namespace stillmon
