#include "startup/alarm_delivery.h"

#include <algorithm>

#include "notify/command_sender.h"

namespace stillmon {

AlarmDelivery::AlarmDelivery(const AlarmConfig& config, const RunPlan& plan,
                             const WebhookSenderMaker& make_webhook_sender,
                             const ThreadStarter& start, const Say& say) {
    const NoticeOrigin origin = notice_origin(plan);
    for (const WebhookTarget& target : config.webhooks) {
        notifiers_.push_back(
            std::make_unique<Notifier>(make_webhook_sender(target, origin), say, start));
    }
    for (const CommandTarget& target : config.commands) {
        notifiers_.push_back(
            std::make_unique<Notifier>(make_command_sender(target, origin, say), say, start));
    }
    events_.emplace(alarm_events_path(plan.text_log_name), say);
}

void AlarmDelivery::take(const AlarmNotice& notice) {
    // Queued first: the events line waits for the disk, the notices need not.
    if (notice.state != "acknowledged") {
        for (const std::unique_ptr<Notifier>& notifier : notifiers_) {
            notifier->enqueue(notice);
        }
    }
    events_->write(notice);
}

NoticeOrigin notice_origin(const RunPlan& plan) {
    std::string log = plan.text_log_name;
    log.resize(log.size() - std::min(log.size(), plan.port_argument.size() + 4));  // "3.dat"
    return {plan.port_argument, log};
}

}  // namespace stillmon
