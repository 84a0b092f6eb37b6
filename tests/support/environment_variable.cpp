#include "support/environment_variable.h"

#include <cstdlib>
#include <stdexcept>

namespace stillmon::test_support {

namespace {

int store(const std::string& name, const std::optional<std::string>& value) {
#ifdef _WIN32
    // Windows has no setenv; an empty value removes the variable, as it has no empty ones.
    return ::_putenv_s(name.c_str(), value ? value->c_str() : "");
#else
    return value ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
#endif
}

}  // namespace

std::optional<std::string> set_environment_variable(const std::string& name,
                                                    const std::optional<std::string>& value) {
    const char* before = std::getenv(name.c_str());
    std::optional<std::string> kept;
    if (before != nullptr) {
        kept = before;
    }
    if (store(name, value) != 0) {
        throw std::runtime_error("cannot set " + name);
    }
    return kept;
}

}  // namespace stillmon::test_support
