#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace stillmon {

// "still.example", "192.168.1.20:8080", "[::1]:1883", "[fe80::1%eth0]": a host and the port
// after its colon, as --serve, the webhooks and the MQTT broker take them. An IPv6 address
// stands in brackets, or its colons would be taken for the port's.
struct HostAndPort {
    std::string host;  // without the brackets
    std::optional<int> port;
    bool operator==(const HostAndPort&) const = default;
};

// Port 0 is any free port to a server, and nothing a client can reach.
enum class PortZero { any_free_port, refused };

// Nothing for a host name of other than letters, digits, ".", "-" and "_", a colon without a
// port, or a port that is not decimal digits up to 65535.
std::optional<HostAndPort> read_host_and_port(std::string_view text, PortZero zero);
std::optional<int> read_port(std::string_view text, PortZero zero);

}  // namespace stillmon
