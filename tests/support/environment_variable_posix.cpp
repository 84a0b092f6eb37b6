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
    const int result = value ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
    if (result != 0) {
        throw std::runtime_error("cannot set " + name);
    }
    return kept;
}

}  // namespace stillmon::testing
