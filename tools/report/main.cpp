// stillmon-report: a report of a saved run, as one HTML file with the run's summary and charts,
// and optionally its records as CSV and its alarms; or, with --compare, runs side by side.
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "config/config_file.h"
#include "report/run_comparison.h"
#include "report/run_report.h"
#include "system/ending_signals.h"

namespace {

// What is wrong with the runs and outputs asked for, or nothing.
std::string usage_fault(bool compare, const std::vector<std::string>& runs, const std::string& out,
                        const std::string& config) {
    if (!compare) {
        return runs.size() > 1 ? "one run at a time, or two or more with --compare" : "";
    }
    if (runs.size() < 2) {
        return "--compare needs two runs or more";
    }
    if (out.empty()) {
        return "--compare needs --out, the page to write";
    }
    return config.empty() ? "" : "--config reports one run; it does not go with --compare";
}

}  // namespace

int main(int argc, char** argv) {
    stillmon::report::ReportFiles files;
    std::vector<std::string> runs;
    bool compare = false;
    std::string align = "start";
    std::string channels{stillmon::report::default_compared_channels};
    std::string config_path;
    CLI::App app{
        "Reads a run saved by stillmon: its binary log RUN.bin when there is one (the device's\n"
        "own frames, with the intervals and proof of RUN.dat), else its text log RUN.dat;\n"
        "derives the values the live run showed, and writes a report that opens from disk in\n"
        "any browser without a network: a summary of the run and its charts (temperatures,\n"
        "strengths, stages, reflux ratio, valve and flow) with zoom. RUN, RUN.dat and RUN.bin\n"
        "all name the same run.\n"
        "With --compare, sets two or more runs side by side instead: a chart a channel with\n"
        "every run in its own colour over the seconds from its start (or from its mark of\n"
        "--align), each run's marks from its journal (RUN.journal.csv), and a table a run with\n"
        "its duration, the time to each mark and each channel's mean and range between its\n"
        "marks. Of a log that several runs appended to, its first run is compared; RUN@N\n"
        "names its Nth (RUN@2: the second).",
        "stillmon-report"};
    app.add_option("run", runs, "The saved run (with --compare, the runs)")
        ->required()
        ->type_name("RUN[.dat|.bin]");
    app.add_option("--out", files.html,
                   "Where to write the report (default: RUN.html beside the log; with --compare "
                   "it must be given)")
        ->type_name("RUN.html");
    app.add_option("--csv", files.csv,
                   "Also write one row per record to this CSV file (RFC 4180, '.' decimal point); "
                   "with --compare: run,seconds,<channels>, one row a record of each run, seconds "
                   "from its alignment point")
        ->type_name("RUN.csv");
    app.add_flag("--compare", compare, "Set the runs side by side (two or more; needs --out)");
    app.add_option("--align", align,
                   "With --compare, align each run on its start, or on its first mark of this "
                   "text (a run without one on its start, which stderr and the page say)")
        ->type_name("start|NAME")
        ->default_str("start");
    app.add_option("--channels", channels,
                   "With --compare, the channels to compare, comma-separated: " +
                       stillmon::report::record_channel_names())
        ->type_name("LIST")
        ->default_str(channels);
    app.add_option("--config", config_path,
                   "Show where the alarms of this stillmon configuration file fired in the run")
        ->type_name("FILE");
    app.footer(
        "Damaged lines or stretches of the log are skipped and named on stderr.\n"
        "Exit status: 0 the report was written; 1 the log cannot be read or a file cannot be\n"
        "written; 2 bad options (--compare without two runs or --out, an unknown channel), a\n"
        "bad configuration file, or --out and --csv name the same file.");
    app.failure_message(CLI::FailureMessage::help);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // --help and --version end here too, with status 0.
        return app.exit(error) == 0 ? 0 : 2;
    }
    if (const std::string wrong = usage_fault(compare, runs, files.html, config_path);
        !wrong.empty()) {
        std::cerr << "stillmon-report: " << wrong << "\n" << app.help();
        return 2;
    }
    stillmon::report::ComparisonFiles compared{runs, files.html, files.csv, align, {}};
    if (compare) {
        std::string unknown;
        const auto named = stillmon::report::record_channels_named(channels, unknown);
        if (!named) {
            std::cerr << "stillmon-report: --channels: no channel " << unknown
                      << " (channels: " << stillmon::report::record_channel_names() << ")\n";
            return 2;
        }
        compared.channels = *named;
    }
    files.run = runs.front();
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
    if (compare) {
        return stillmon::report::write_run_comparison(compared, temporaries, std::cout, std::cerr);
    }
    return stillmon::report::write_run_report(files, temporaries, std::cout, std::cerr);
}
