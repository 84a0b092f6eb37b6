#include "notify/webhook_url.h"

#include <charconv>

#include "base/host_and_port.h"

namespace stillmon {

namespace {

// A password with "@" or ":" in it stands percent-encoded in the address.
std::string percent_decoded(std::string_view text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned char byte = 0;
        const char* hex = text.data() + i + 1;
        if (text[i] == '%' && i + 2 < text.size() &&
            std::from_chars(hex, hex + 2, byte, 16).ptr == hex + 2) {
            decoded += static_cast<char>(byte);
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
    parts.tls = url.starts_with("https://");
    const std::string_view scheme = parts.tls ? "https://" : "http://";
    if (!url.starts_with(scheme)) {
        return std::nullopt;
    }
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
    const std::optional<HostAndPort> host = read_host_and_port(authority, PortZero::refused);
    if (!host) {
        return std::nullopt;
    }
    parts.host = host->host;
    parts.port = host->port.value_or(parts.tls ? 443 : 80);
    if (!target.starts_with('/')) {
        parts.target = '/';
    }
    parts.target.append(target);
    parts.shown.append(scheme).append(authority).append(target);
    return parts;
}

}  // namespace stillmon
