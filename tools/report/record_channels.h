#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/cycle_record.h"

namespace stillmon::report {

// A value of a record that runs can be compared by, named as the CSV's header names it
// (logging/record_csv.h): "tank_c", "liquid_strength_pct", "valve"...
struct RecordChannel {
    std::string_view name;
    std::string_view title;  // as a chart's title says it: "Tank (°C)"
    // NaN where the record has no such value (its stages when its strengths failed).
    double (*value)(const CycleRecord& record);
};

// What runs are compared by unless told otherwise: the tank and steam temperatures and the
// strengths of the liquid and the vapour they give.
inline constexpr std::string_view default_compared_channels =
    "tank_c,steam_c,liquid_strength_pct,vapour_strength_pct";

// The channels a comma-separated list names, in its order; nothing when a name is no channel,
// which `unknown` then holds.
std::optional<std::vector<RecordChannel>> record_channels_named(std::string_view list,
                                                                std::string& unknown);

// Every channel's name, comma-separated, for the help and for a message.
std::string record_channel_names();

}  // namespace stillmon::report
