#include "mqtt/broker_address.h"

#include <charconv>

namespace stillmon {

namespace {

constexpr std::string_view host_name_characters =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-_";
constexpr std::string_view ipv6_characters = "0123456789abcdefABCDEF:.%";

std::optional<int> port_number(std::string_view text) {
    int port = 0;
    const auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (problem != std::errc{} || end != text.data() + text.size() || port < 1 || port > 65535) {
        return std::nullopt;
    }
    return port;
}

}  // namespace

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
    std::string_view host = url;
    std::string_view characters = host_name_characters;
    std::string_view after_host;
    if (url.starts_with('[')) {
        const std::size_t close = url.find(']');
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        host = url.substr(1, close - 1);
        characters = ipv6_characters;
        after_host = url.substr(close + 1);
    } else if (const std::size_t colon = url.find(':'); colon != std::string_view::npos) {
        host = url.substr(0, colon);
        after_host = url.substr(colon);
    }
    if (host.empty() || host.find_first_not_of(characters) != std::string_view::npos) {
        return std::nullopt;
    }
    if (!after_host.empty()) {
        const std::optional<int> port =
            after_host.starts_with(':') ? port_number(after_host.substr(1)) : std::nullopt;
        if (!port) {
            return std::nullopt;
        }
        address.port = *port;
    }
    address.host = host;
    return address;
}

}  // namespace stillmon
