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

// Whether the HTTP client was built with TLS (CMake asks its build; the Windows one has none).
// Without it webhooks reach http:// addresses alone, and the configuration file says so rather
// than fail at the first alarm.
inline constexpr bool webhooks_reach_https = STILLMON_WEBHOOK_TLS;

}  // namespace stillmon
