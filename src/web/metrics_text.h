#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "web/history_ring.h"
#include "web/live_view.h"

namespace stillmon {

// What /metrics answers, in Prometheus' text format (version 0.0.4): one gauge per channel
// and derived value of the latest cycle, counters of cycles, timing errors and link re-opens,
// and the age of the latest cycle in seconds, every series labelled port="<port_label>".
// Before the first cycle only the counters are there.
std::string metrics_text(const std::optional<IndexedRecord>& latest, const LinkStatus& status,
                         std::optional<float> reflux_ratio, double now_s,
                         std::string_view port_label);

}  // namespace stillmon
