#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "base/alarm_notice.h"
#include "base/error_lines.h"
#include "base/thread_starter.h"
#include "logging/alarm_events_file.h"
#include "notify/notifier.h"
#include "startup/alarm_config.h"
#include "startup/command_line.h"
#include "startup/program_platform.h"

namespace stillmon {

// Where a live run's alarm changes go besides stderr: every change to the events file beside
// the logs, and firing, repeat and cleared to each notification target, one notifier each. A
// replay has none of it: it tells of the past, and nobody is to be paged for it.
class AlarmDelivery {
  public:
    // Write failures and notification trouble are said through `say`, from the notifiers'
    // threads too.
    AlarmDelivery(const AlarmConfig& config, const RunPlan& plan,
                  const WebhookSenderMaker& make_webhook_sender, const ThreadStarter& start,
                  const Say& say);

    // Main thread. Writes the events line, and only queues the notices.
    void take(const AlarmNotice& notice);

  private:
    std::vector<std::unique_ptr<Notifier>> notifiers_;
    std::optional<AlarmEventsFile> events_;
};

// "3" and "Run" for the logs Run3.dat and Run3.bin on port 3.
NoticeOrigin notice_origin(const RunPlan& plan);

}  // namespace stillmon
