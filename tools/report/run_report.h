#pragma once

#include <ostream>
#include <string>

namespace stillmon::report {

struct ReportFiles {
    std::string log;   // the saved text log to read
    std::string html;  // the report to write
    std::string csv;   // the records as CSV; none when empty
};

// The report's default place: beside the log, named after it ("Run3.dat" -> "Run3.html").
std::string default_report_path(const std::string& log);

// Reads the saved log record by record as the replay does (records counted 0 or below
// skipped, the same derived values, the operator's parameters at their start values), writes
// each record's CSV row as it comes and the report page at the end. Says what it wrote on
// `console`. Returns the exit status: 0 written; 1 the log cannot be read or a file cannot be
// written, which `errors` names with the reason.
int write_run_report(const ReportFiles& files, std::ostream& console, std::ostream& errors);

}  // namespace stillmon::report
