#pragma once

#include <string>

#include "web/live_view.h"

namespace stillmon {

// What /api/journal answers: the run's journal as the page lists it and the charts draw it.
//   {"entries":[{"index":7,"record":1234,"device_time":"14:30:45_7",
//     "wall_time":"2026-12-10T11:20:00+01:00","kind":"mark","text":"hearts"}],"dropped":0}
// "kind" is the journal file's ("mark", "session-start", "session-end"); the Latin-1 text
// becomes JSON's escapes, so any byte stands as the character the window shows. "index" is the
// run's cycle the charts place the entry at; "dropped" counts the oldest entries no longer kept.
std::string journal_json(const JournalShown& journal);

}  // namespace stillmon
