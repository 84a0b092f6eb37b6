#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/alarm_notice.h"
#include "web/history_ring.h"
#include "web/live_view.h"

namespace stillmon {

// What /metrics answers, in Prometheus' text format (version 0.0.4): one gauge per channel
// and derived value of the latest cycle, counters of cycles, timing errors and link re-opens,
// and the age of the latest cycle in seconds, every series labelled port="<port_label>".
// Before the first cycle only the counters are there. With alarms, each has a gauge of
// whether it fires and a counter of its firings, labelled also with its name (and the gauge
// with its severity). `marks` counts the operator's marks in the run's journal.
std::string metrics_text(const std::optional<IndexedRecord>& latest, const LinkStatus& status,
                         std::optional<float> reflux_ratio, double now_s,
                         std::string_view port_label, const std::vector<AlarmSnapshot>& alarms,
                         std::uint64_t marks);

}  // namespace stillmon
