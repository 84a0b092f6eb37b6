#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/alarm_notice.h"
#include "base/error_lines.h"
#include "base/thread_starter.h"
#include "logging/alarm_events_file.h"
#include "notify/notice_sender.h"
#include "notify/notifier.h"
#include "notify/notify_targets.h"

namespace stillmon {

// Where a live run's alarm changes go besides stderr: every change to the events file beside
// the logs, and firing, repeat and cleared to each notification target, one notifier each. A
// replay has none of it: it tells of the past, and nobody is to be paged for it.
class AlarmDelivery {
  public:
    // The notices name `origin`. Write failures and notification trouble are said through
    // `say`, from the notifiers' threads too.
    AlarmDelivery(const std::vector<WebhookTarget>& webhooks,
                  const std::vector<CommandTarget>& commands, const NoticeOrigin& origin,
                  const WebhookSenderMaker& make_webhook_sender, std::string events_path,
                  const ThreadStarter& start, const Say& say);

    // Main thread. Writes the events line, and only queues the notices.
    void take(const AlarmNotice& notice);

  private:
    std::vector<std::unique_ptr<Notifier>> notifiers_;
    AlarmEventsFile events_;
};

}  // namespace stillmon
