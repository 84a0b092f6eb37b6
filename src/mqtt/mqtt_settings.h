#pragma once

#include <optional>
#include <string>

namespace stillmon {

// Where the broker is: "mqtt://HOST[:PORT]" (port 1883 by default) or, over TLS,
// "mqtts://HOST[:PORT]" (8883). An IPv6 address stands in brackets: "mqtt://[::1]:1883".
struct BrokerAddress {
    std::string host;
    int port = 1883;
    bool tls = false;
};

// The configuration file's [mqtt]: the broker the run is published to, and under which
// topics.
struct MqttSettings {
    std::string broker;  // as written, for what is said about the connection
    BrokerAddress address;
    std::optional<std::string> username;
    std::optional<std::string> password;      // read from the password file at start
    std::optional<std::string> ca_file;       // none: the system's certificate authorities
    std::optional<std::string> topic;         // none: "stillmon/<host name>-<port>"
    std::string discovery = "homeassistant";  // empty: no discovery documents
};

}  // namespace stillmon
