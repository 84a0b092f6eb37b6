#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/alarm_notice.h"
#include "base/error_lines.h"
#include "notify/notice_texts.h"
#include "notify/notify_targets.h"

namespace stillmon {

// One target of the notifications: a webhook or a command. Sends take as long as the target
// makes them, so only a notifier's own thread calls send().
class NoticeSender {
  public:
    virtual ~NoticeSender() = default;

    // Nothing once the target has the notice; else why not, to be tried again later.
    virtual std::optional<std::string> send(const AlarmNotice& notice) = 0;
    // The target as messages name it: the address without credentials, or the program.
    virtual const std::string& name() const = 0;
};

// Makes the sender of a webhook's notices (notify/webhook_sender.h's make_webhook_sender is
// the real one).
using WebhookSenderMaker = std::function<std::unique_ptr<NoticeSender>(const WebhookTarget& target,
                                                                       const NoticeOrigin& origin)>;

}  // namespace stillmon
