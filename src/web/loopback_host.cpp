#include "web/loopback_host.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace stillmon {

namespace {

// The host alone: "[::1]:80" and "[::1]" give "::1", "localhost:80" gives "localhost"; a bare
// IPv6 address (more than one colon) is the served address as given, kept whole.
std::string_view without_port(std::string_view host) {
    if (host.starts_with('[')) {
        const auto close = host.find(']');
        return close == std::string_view::npos ? std::string_view{} : host.substr(1, close - 1);
    }
    const auto colon = host.find(':');
    if (colon != std::string_view::npos && host.find(':', colon + 1) == std::string_view::npos) {
        return host.substr(0, colon);
    }
    return host;
}

bool is_loopback_ipv4(std::string_view host) {
    int parts = 0;
    while (true) {
        const auto dot = host.find('.');
        const std::string_view part = host.substr(0, dot);
        unsigned value = 0;
        const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
        if (part.empty() || part.size() > 3 || error != std::errc{} ||
            end != part.data() + part.size() || value > 255 || (parts == 0 && value != 127)) {
            return false;
        }
        ++parts;
        if (dot == std::string_view::npos) {
            return parts == 4;
        }
        host.remove_prefix(dot + 1);
    }
}

}  // namespace

bool names_loopback(std::string_view host) {
    host = without_port(host);
    const auto is_localhost = [](std::string_view name) {
        return name.size() == 9 &&
               std::equal(name.begin(), name.end(), "localhost", [](char a, char b) {
                   return std::tolower(static_cast<unsigned char>(a)) == b;
               });
    };
    return is_localhost(host) || host == "::1" || is_loopback_ipv4(host);
}

bool host_header_accepted(std::string_view served_host, const std::optional<std::string>& header) {
    return !header || !names_loopback(served_host) || names_loopback(*header);
}

}  // namespace stillmon
