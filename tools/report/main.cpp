// stillmon-report: a report of a saved run, as one HTML file with the run's summary and charts,
// and optionally its records as CSV.
#include <iostream>

#include <CLI/CLI.hpp>

#include "report/run_report.h"
#include "system/ending_signals.h"

int main(int argc, char** argv) {
    stillmon::report::ReportFiles files;
    CLI::App app{
        "Reads a text log saved by stillmon (RUN.dat), derives the values the replay shows, and\n"
        "writes a report that opens from disk in any browser without a network: a summary of\n"
        "the run and its charts (temperatures, strengths, stages, reflux ratio, valve and flow)\n"
        "with zoom.",
        "stillmon-report"};
    app.add_option("log", files.log, "The saved text log")->required()->type_name("RUN.dat");
    app.add_option("--out", files.html,
                   "Where to write the report (default: RUN.html beside RUN.dat)")
        ->type_name("RUN.html");
    app.add_option("--csv", files.csv,
                   "Also write one row per record to this CSV file (RFC 4180, '.' decimal point)")
        ->type_name("RUN.csv");
    app.footer(
        "Lines of the log that hold no whole record are skipped and named on stderr.\n"
        "Exit status: 0 the report was written; 1 the log cannot be read or a file cannot be\n"
        "written; 2 bad options, or --out and --csv name the same file.");
    app.failure_message(CLI::FailureMessage::help);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // --help and --version end here too, with status 0.
        return app.exit(error) == 0 ? 0 : 2;
    }
    if (files.html.empty()) {
        files.html = stillmon::report::default_report_path(files.log);
    }
    // Never destroyed: the thread that takes an interrupt may use it until the process ends.
    // From here on an interrupt, SIGTERM, SIGHUP or Ctrl+\ removes the outputs not yet moved
    // into place and ends with 128 + the signal, as shells report it.
    auto& temporaries = *new stillmon::report::TemporaryOutputs;
    stillmon::hold_ending_signals();
    stillmon::watch_ending_signals(
        [&temporaries](int status) { temporaries.remove_all_and_exit(status); },
        stillmon::start_thread);
    return stillmon::report::write_run_report(files, temporaries, std::cout, std::cerr);
}
