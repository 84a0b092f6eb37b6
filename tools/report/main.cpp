// stillmon-report: a report of a saved run, as one HTML file with the run's summary and charts,
// and optionally its records as CSV and its alarms.
#include <iostream>
#include <optional>
#include <string>

#include <CLI/CLI.hpp>

#include "config/config_file.h"
#include "report/run_report.h"
#include "system/ending_signals.h"

int main(int argc, char** argv) {
    stillmon::report::ReportFiles files;
    std::string config_path;
    CLI::App app{
        "Reads a run saved by stillmon: its binary log RUN.bin when there is one (the device's\n"
        "own frames, with the intervals and proof of RUN.dat), else its text log RUN.dat;\n"
        "derives the values the live run showed, and writes a report that opens from disk in\n"
        "any browser without a network: a summary of the run and its charts (temperatures,\n"
        "strengths, stages, reflux ratio, valve and flow) with zoom. RUN, RUN.dat and RUN.bin\n"
        "all name the same run.",
        "stillmon-report"};
    app.add_option("run", files.run, "The saved run")->required()->type_name("RUN[.dat|.bin]");
    app.add_option("--out", files.html,
                   "Where to write the report (default: RUN.html beside the log)")
        ->type_name("RUN.html");
    app.add_option("--csv", files.csv,
                   "Also write one row per record to this CSV file (RFC 4180, '.' decimal point)")
        ->type_name("RUN.csv");
    app.add_option("--config", config_path,
                   "Show where the alarms of this stillmon configuration file fired in the run")
        ->type_name("FILE");
    app.footer(
        "Damaged lines or stretches of the log are skipped and named on stderr.\n"
        "Exit status: 0 the report was written; 1 the log cannot be read or a file cannot be\n"
        "written; 2 bad options, a bad configuration file, or --out and --csv name the same\n"
        "file.");
    app.failure_message(CLI::FailureMessage::help);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // --help and --version end here too, with status 0.
        return app.exit(error) == 0 ? 0 : 2;
    }
    std::optional<stillmon::RunConfig> alarms;
    if (!config_path.empty()) {
        std::string error;
        alarms = stillmon::read_config_file(config_path, error);
        if (!alarms) {
            std::cerr << "stillmon-report: " << error << '\n';
            return 2;
        }
        files.alarms = &*alarms;
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
