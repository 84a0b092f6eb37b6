#pragma once

#include <string>
#include <vector>

#include "notify/webhook_url.h"

namespace stillmon {

// Where alarm changes are sent, as the configuration file names them.
struct WebhookTarget {
    enum class Format { json, ntfy };
    WebhookUrl url;  // taken apart once, when the file is read
    Format format = Format::json;
};

struct CommandTarget {
    std::vector<std::string> argv;  // run directly, never through a shell
};

// The Windows build carries no TLS library: its webhooks reach http:// addresses alone, and
// the configuration file says so rather than fail at the first alarm.
#ifdef _WIN32
inline constexpr bool webhooks_reach_https = false;
#else
inline constexpr bool webhooks_reach_https = true;
#endif

}  // namespace stillmon
