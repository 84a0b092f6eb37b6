#pragma once

#include <string>

#include "base/journal_entry.h"

namespace stillmon {

// A mark as its MQTT event (Home Assistant's event entity reads "event_type"):
//   {"event_type":"mark","text":"hearts","record":1234,"device_time":"14:30:45_7",
//    "wall_time":"2026-12-10T11:20:00+01:00"}
// The Latin-1 text becomes JSON's escapes, so the payload is ASCII and any byte stands as the
// character the window shows.
std::string mark_event_json(const JournalEntry& mark);

}  // namespace stillmon
