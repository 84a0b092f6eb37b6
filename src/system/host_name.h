#pragma once

#include <string>

namespace stillmon {

// This machine's name ("north"), as a default MQTT topic names the run; empty when the
// system does not say.
std::string host_name();

}  // namespace stillmon
