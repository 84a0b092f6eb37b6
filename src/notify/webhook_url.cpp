#include "notify/webhook_url.h"

#include <charconv>

namespace stillmon {

namespace {

int hex_digit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// A password with "@" or ":" in it stands percent-encoded in the address.
std::string percent_decoded(std::string_view text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hex_digit(text[i + 1]) >= 0 &&
            hex_digit(text[i + 2]) >= 0) {
            decoded += static_cast<char>(hex_digit(text[i + 1]) * 16 + hex_digit(text[i + 2]));
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

}  // namespace

std::optional<WebhookUrl> read_webhook_url(std::string_view url) {
    WebhookUrl parts;
    std::string_view scheme;
    for (const std::string_view known : {"http://", "https://"}) {
        if (url.starts_with(known)) {
            scheme = known;
        }
    }
    if (scheme.empty()) {
        return std::nullopt;
    }
    parts.tls = scheme == "https://";
    std::string_view rest = url.substr(scheme.size());
    const std::size_t authority_end = rest.find_first_of("/?#");
    std::string_view authority = rest.substr(0, authority_end);
    std::string_view target =
        authority_end == std::string_view::npos ? std::string_view() : rest.substr(authority_end);
    target = target.substr(0, target.find('#'));  // a fragment is never sent

    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
        const std::string_view credentials = authority.substr(0, at);
        const std::size_t colon = credentials.find(':');
        parts.user = percent_decoded(credentials.substr(0, colon));
        if (colon != std::string_view::npos) {
            parts.password = percent_decoded(credentials.substr(colon + 1));
        }
        authority.remove_prefix(at + 1);
    }
    std::string_view host = authority;
    std::string_view port;
    if (authority.starts_with('[')) {
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        host = authority.substr(1, close - 1);
        const std::string_view after = authority.substr(close + 1);
        if (!after.empty() && !after.starts_with(':')) {
            return std::nullopt;
        }
        port = after.empty() ? after : after.substr(1);
    } else if (const std::size_t colon = authority.rfind(':'); colon != std::string_view::npos) {
        host = authority.substr(0, colon);
        port = authority.substr(colon + 1);
    }
    if (host.empty()) {
        return std::nullopt;
    }
    parts.host = host;
    parts.port = parts.tls ? 443 : 80;
    if (!port.empty()) {
        const auto [end, problem] =
            std::from_chars(port.data(), port.data() + port.size(), parts.port);
        if (problem != std::errc{} || end != port.data() + port.size() || parts.port < 1 ||
            parts.port > 65535) {
            return std::nullopt;
        }
    }
    if (!target.starts_with('/')) {
        parts.target = '/';
    }
    parts.target.append(target);
    parts.shown.append(scheme).append(authority).append(target);
    return parts;
}

}  // namespace stillmon
