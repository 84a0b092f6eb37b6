#pragma once

#include <optional>
#include <string>

namespace stillmon::test_support {

// Sets a variable of this process's environment, or removes it given no value; returns the
// value it had, so a test can put it back.
std::optional<std::string> set_environment_variable(const std::string& name,
                                                    const std::optional<std::string>& value);

}  // namespace stillmon::test_support
