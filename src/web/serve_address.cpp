#include "web/serve_address.h"

#include "base/host_and_port.h"

namespace stillmon {

std::optional<ServeAddress> read_serve_address(std::string_view text) {
    if (const std::optional<int> port = read_port(text, PortZero::any_free_port)) {
        return ServeAddress{.port = *port};
    }
    const std::optional<HostAndPort> parts = read_host_and_port(text, PortZero::any_free_port);
    if (!parts || !parts->port) {
        return std::nullopt;  // an address needs its port: the page has no usual one
    }
    return ServeAddress{parts->host, *parts->port};
}

std::string page_url(const ServeAddress& address) {
    const bool ipv6 = address.host.find(':') != std::string::npos;
    return "http://" + (ipv6 ? "[" + address.host + "]" : address.host) + ':' +
           std::to_string(address.port) + '/';
}

}  // namespace stillmon
