#include "web/serve_address.h"

#include <charconv>

namespace stillmon {

namespace {

std::optional<int> read_port(std::string_view text) {
    int port = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (text.empty() || text.front() == '-' || error != std::errc{} ||
        end != text.data() + text.size() || port > 65535) {
        return std::nullopt;
    }
    return port;
}

}  // namespace

std::optional<ServeAddress> read_serve_address(std::string_view text) {
    ServeAddress address;
    const auto colon = text.rfind(':');
    if (colon == std::string_view::npos) {
        const auto port = read_port(text);
        if (!port) {
            return std::nullopt;
        }
        address.port = *port;
        return address;
    }
    std::string_view host = text.substr(0, colon);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    } else if (host.find(':') != std::string_view::npos) {
        return std::nullopt;  // an IPv6 address without its brackets
    }
    const auto port = read_port(text.substr(colon + 1));
    if (host.empty() || !port) {
        return std::nullopt;
    }
    address.host = host;
    address.port = *port;
    return address;
}

std::string page_url(const ServeAddress& address) {
    const bool ipv6 = address.host.find(':') != std::string::npos;
    std::string url = "http://";
    url += ipv6 ? "[" + address.host + "]" : address.host;
    url += ':';
    url += std::to_string(address.port);
    url += '/';
    return url;
}

}  // namespace stillmon
