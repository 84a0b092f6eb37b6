#include "app/alarm_delivery.h"

#include <utility>

#include "notify/command_sender.h"

namespace stillmon {

AlarmDelivery::AlarmDelivery(const std::vector<WebhookTarget>& webhooks,
                             const std::vector<CommandTarget>& commands, const NoticeOrigin& origin,
                             const WebhookSenderMaker& make_webhook_sender, std::string events_path,
                             const ThreadStarter& start, const Say& say)
    : events_(std::move(events_path), say) {
    for (const WebhookTarget& target : webhooks) {
        notifiers_.push_back(
            std::make_unique<Notifier>(make_webhook_sender(target, origin), say, start));
    }
    for (const CommandTarget& target : commands) {
        notifiers_.push_back(
            std::make_unique<Notifier>(make_command_sender(target, origin, say), say, start));
    }
}

void AlarmDelivery::take(const AlarmNotice& notice) {
    // Queued first: the events line waits for the disk, the notices need not.
    if (notice.state != "acknowledged") {
        for (const std::unique_ptr<Notifier>& notifier : notifiers_) {
            notifier->enqueue(notice);
        }
    }
    events_.write(notice);
}

}  // namespace stillmon
