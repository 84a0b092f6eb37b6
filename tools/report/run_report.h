#pragma once

#include <ostream>
#include <string>

#include "config/config_file.h"
#include "report/whole_output.h"

namespace stillmon::report {

struct ReportFiles {
    std::string run;   // the run as named: "Run3", "Run3.dat" or "Run3.bin" (run_logs.h)
    std::string html;  // the report to write; beside the log read when empty
    std::string csv;   // the records as CSV; none when empty
    const RunConfig* alarms = nullptr;  // the alarms to show; none when null
};

// The report's default place: beside the log, named after it ("Run3.dat" -> "Run3.html").
std::string default_report_path(const std::string& log);

// Reads the run's binary log when there is one (with its text log for the intervals and the
// proof), else its text log, record by record (binary_log_records.h, text_log_records.h); a
// damaged piece is skipped, counted and named on `errors` (the first few of them). Writes each
// record's CSV row as it comes and the report page at the end, both under temporary names
// moved into place at the end (whole_output.h); with alarms, the page lists their firings.
// Says what it read and wrote on `console`. Returns the exit status: 0 written; 1 a log cannot
// be read or a file cannot be written, which `errors` names with the reason; 2 both outputs
// name one file.
int write_run_report(ReportFiles files, TemporaryOutputs& temporaries, std::ostream& console,
                     std::ostream& errors);

}  // namespace stillmon::report
