#pragma once

#include <memory>
#include <ostream>

#include "app/process_end.h"
#include "base/error_lines.h"
#include "link/device_link.h"
#include "logging/cycle_logs.h"
#include "logging/text_log_reader.h"
#include "startup/command_line.h"
#include "startup/open_failure_notice.h"

namespace stillmon {

// What a run reads its frames from and writes them to.
struct RunSources {
    std::unique_ptr<DeviceLink> link;           // live only
    std::unique_ptr<CycleLogs> logs;            // live only
    std::unique_ptr<TextLogReader> replay_log;  // replay only; null when it cannot be read
};

// Live: makes the link, its thread from `start`, opens it and reports that on `console`
// ("Com 3 Port opened 0") and to `open_failures`, opens both logs, and hands link and logs to
// `process_end`, so that every end of the process closes them; what the link and the logs'
// write failures have to say goes to `say_error`. Replay: opens the saved text log alone; its
// binary twin is never read. A saved log that cannot be read is said with the reason, and
// replay_log stays null.
RunSources open_run_sources(const RunPlan& plan, const SerialLinkMaker& make_link,
                            const ThreadStarter& start, ProcessEnd& process_end,
                            OpenFailureNotice& open_failures, std::ostream& console,
                            const Say& say_error);

}  // namespace stillmon
