#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "report/record_channels.h"
#include "report/whole_output.h"

namespace stillmon::report {

struct ComparisonFiles {
    std::vector<std::string> runs;  // each as named (run_logs.h), two or more
    std::string html;               // the page to write
    std::string csv;                // every record of every run as CSV; none when empty
    std::string align = "start";    // "start", or the text of the mark each run is aligned on
    std::vector<RecordChannel> channels;
};

// Reads each run's first session as the report reads a run (its binary log, else its text
// log), with its journal's marks, and writes the page that sets them side by side
// (web/compare_page.h) and the CSV of their records in the long form
//   run,seconds,<a column a channel>
// one row a record of each run, its seconds counted from its alignment point (negative
// before it) by the logged intervals (base/logged_clock.h). A run without the mark is aligned
// on its start, which `errors` says. Returns the exit status: 0 written; 1 a log cannot be
// read or a file cannot be written; 2 both outputs name one file.
int write_run_comparison(const ComparisonFiles& files, TemporaryOutputs& temporaries,
                         std::ostream& console, std::ostream& errors);

}  // namespace stillmon::report
