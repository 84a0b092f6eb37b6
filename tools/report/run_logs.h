#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "base/journal_entry.h"

namespace stillmon::report {

// The logs of one run, however the run is named: "Run3", "Run3.dat" and "Run3.bin" all name
// the run that stillmon logged to Run3.dat and Run3.bin.
struct RunLogs {
    // The binary log, when it exists: the frames as the device sent them, read first.
    std::string binary;
    // The text log: read for what only it holds (the intervals, the proof) beside the binary
    // log, and alone without one. A name with neither ending that names a file and no run
    // beside it is taken as a text log of another name.
    std::string text;
};

RunLogs run_logs_named(const std::string& name);

// Whether two names name one file, also when spelled differently or when it does not exist
// yet: an output must never replace a log or the other output.
bool names_same_file(const std::string& first, const std::string& second);

// The journal beside the run's text log, when there is one. It is an extra: one that cannot be
// read is named on `errors` and the run is read without it; damaged lines are passed over and
// counted there.
std::vector<JournalEntry> read_journal_beside(const RunLogs& logs, std::ostream& errors);

}  // namespace stillmon::report
