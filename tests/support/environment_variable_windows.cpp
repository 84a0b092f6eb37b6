#include <cstdlib>
#include <stdexcept>

#include "support/environment_variable.h"

namespace stillmon::testing {

std::optional<std::string> set_environment_variable(const std::string& name,
                                                    const std::optional<std::string>& value) {
    const char* before = std::getenv(name.c_str());
    std::optional<std::string> kept;
    if (before != nullptr) {
        kept = before;
    }
    // An empty value removes the variable: Windows has no empty ones.
    if (::_putenv_s(name.c_str(), value ? value->c_str() : "") != 0) {
        throw std::runtime_error("cannot set " + name);
    }
    return kept;
}

}  // namespace stillmon::testing
