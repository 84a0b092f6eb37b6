#pragma once

#include <cstdint>
#include <string>

#include "base/cycle_record.h"

namespace stillmon {

// One cycle as JSON, the form the live page's API serves and a report of a saved run inlines,
// so the one chart script draws both. `index` counts the cycles of the run from 1.
//   {"index":7,"record":1234,"device_time":"14:30:45_7","interval":1.002,
//    "temperatures":[78.1,...8 values],"proof":0,"liquid_strength":12.5,
//    "vapour_strength":80.1,"whole_stages":3,"stages":2.53,"valve":20,"flow":0.25,
//    "reflux_ratio":4.37,"timing_errors":0}
// whole_stages and stages are null when the strengths failed their test; reflux_ratio is
// null except in a cycle that ended a ratio period with a result.
void append_record_json(std::string& out, std::uint64_t index, const CycleRecord& record);

// The compact form for a page that inlines a whole run: the same values as an array, without
// the names, which the page reads once from the list of names (["index","record",...]).
// A run's rows take less than half the bytes of its objects.
void append_record_json_row(std::string& out, std::uint64_t index, const CycleRecord& record);
void append_record_json_field_names(std::string& out);

}  // namespace stillmon
