#pragma once

#include <optional>
#include <string_view>

#include "mqtt/mqtt_settings.h"

namespace stillmon {

// "mqtt://HOST[:PORT]" or "mqtts://HOST[:PORT]"; nothing for anything else (another
// scheme, a path, a user in the address, a port outside 1-65535).
std::optional<BrokerAddress> read_broker_address(std::string_view url);

}  // namespace stillmon
