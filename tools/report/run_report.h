#pragma once

#include <ostream>
#include <string>

#include "report/whole_output.h"

namespace stillmon::report {

struct ReportFiles {
    std::string log;   // the saved text log to read
    std::string html;  // the report to write
    std::string csv;   // the records as CSV; none when empty
};

// The report's default place: beside the log, named after it ("Run3.dat" -> "Run3.html").
std::string default_report_path(const std::string& log);

// Reads the saved log line by line and takes each line that holds one whole record as the
// replay would (records counted 0 skipped, the same derived values, the operator's parameters
// at their start values); a damaged line is skipped, counted and named on `errors` (the
// first few of them). Writes each record's CSV row as it comes and the report page at the
// end, both under temporary names moved into place at the end (whole_output.h). Says what it
// wrote on `console`. Returns the exit status: 0 written; 1 the log cannot be read or a file
// cannot be written, which `errors` names with the reason; 2 both outputs name one file.
int write_run_report(const ReportFiles& files, TemporaryOutputs& temporaries, std::ostream& console,
                     std::ostream& errors);

}  // namespace stillmon::report
