#pragma once

#include <memory>

#include "notify/notice_sender.h"
#include "notify/notice_texts.h"
#include "notify/notify_targets.h"

namespace stillmon {

// POSTs each notice to the webhook's address: the JSON for format "json", the ntfy message
// with its headers for format "ntfy". It fails on a connection that cannot be made in 5 s, an
// answer that does not come within 10 s, or a status of 300 or more.
std::unique_ptr<NoticeSender> make_webhook_sender(const WebhookTarget& target,
                                                  const NoticeOrigin& origin);

}  // namespace stillmon
