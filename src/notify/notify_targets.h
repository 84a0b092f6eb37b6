#pragma once

#include <string>
#include <vector>

namespace stillmon {

// Where alarm changes are sent, as the configuration file names them.
struct WebhookTarget {
    enum class Format { json, ntfy };
    std::string url;  // http:// or https://
    Format format = Format::json;
};

struct CommandTarget {
    std::vector<std::string> argv;  // run directly, never through a shell
};

// A build whose HTTP client carries no TLS library (the Windows one) reaches http:// webhooks
// alone, and the configuration file says so rather than fail at the first alarm.
inline constexpr bool webhooks_reach_https = STILLMON_WEBHOOK_TLS;

}  // namespace stillmon
