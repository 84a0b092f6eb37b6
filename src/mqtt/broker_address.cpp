#include "mqtt/broker_address.h"

#include "base/host_and_port.h"

namespace stillmon {

std::optional<BrokerAddress> read_broker_address(std::string_view url) {
    BrokerAddress address;
    if (url.starts_with("mqtts://")) {
        address.tls = true;
        address.port = 8883;
        url.remove_prefix(8);
    } else if (url.starts_with("mqtt://")) {
        url.remove_prefix(7);
    } else {
        return std::nullopt;
    }
    if (url.ends_with('/')) {  // as an address is often copied
        url.remove_suffix(1);
    }
    const std::optional<HostAndPort> host = read_host_and_port(url, PortZero::refused);
    if (!host) {
        return std::nullopt;
    }
    address.host = host->host;
    address.port = host->port.value_or(address.port);
    return address;
}

}  // namespace stillmon
