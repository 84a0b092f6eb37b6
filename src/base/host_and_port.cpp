#include "base/host_and_port.h"

#include <algorithm>
#include <charconv>

namespace stillmon {

namespace {

constexpr std::string_view name_characters =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-_";

bool only(std::string_view text, std::string_view characters) {
    return !text.empty() && text.find_first_not_of(characters) == std::string_view::npos;
}

// A link-local address names the interface it is reached through after a "%".
bool ipv6_address(std::string_view text) {
    const std::size_t zone = text.find('%');
    return only(text.substr(0, zone), "0123456789abcdefABCDEF:.") &&
           (zone == std::string_view::npos || only(text.substr(zone + 1), name_characters));
}

}  // namespace

std::optional<int> read_port(std::string_view text, PortZero zero) {
    int port = 0;
    const auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (text.empty() || text.front() == '-' || problem != std::errc{} ||
        end != text.data() + text.size() || port > 65535 ||
        (port == 0 && zero == PortZero::refused)) {
        return std::nullopt;
    }
    return port;
}

std::optional<HostAndPort> read_host_and_port(std::string_view text, PortZero zero) {
    const bool bracketed = text.starts_with('[');
    const std::size_t host_end = text.find(bracketed ? ']' : ':');
    if (bracketed && host_end == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view host =
        bracketed ? text.substr(1, host_end - 1) : text.substr(0, host_end);
    const std::string_view after =
        text.substr(std::min(bracketed ? host_end + 1 : host_end, text.size()));
    const std::optional<int> port =
        after.starts_with(':') ? read_port(after.substr(1), zero) : std::nullopt;
    if (!(bracketed ? ipv6_address(host) : only(host, name_characters)) ||
        (!after.empty() && !port)) {
        return std::nullopt;
    }
    return HostAndPort{std::string(host), port};
}

}  // namespace stillmon
