// stillsim: plays the measuring device on a pseudo-terminal so stillmon can run without one.
#include <csignal>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <optional>
#include <string>

#include <CLI/CLI.hpp>

#include "stillsim/simulator.h"

namespace {

// "HH:MM" or "HH:MM:SS" as seconds of the day.
std::optional<double> parse_time_of_day(const std::string& text) {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    int used = 0;
    const int fields =
        std::sscanf(text.c_str(), "%d:%d%n:%d%n", &hours, &minutes, &used, &seconds, &used);
    if (fields < 2 || static_cast<std::size_t>(used) != text.size() || hours < 0 || hours > 23 ||
        minutes < 0 || minutes > 59 || seconds < 0 || seconds > 59) {
        return std::nullopt;
    }
    return hours * 3600.0 + minutes * 60.0 + seconds;
}

double local_seconds_of_day_now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec;
}

}  // namespace

int main(int argc, char** argv) {
    stillmon::stillsim::SimulatorSettings settings;
    std::string start_time;

    CLI::App app{
        "Plays stillmon's measuring device on a pseudo-terminal: prints the terminal's path,\n"
        "sends one 38-byte telemetry frame of a simulated distillation run every period and\n"
        "reports every command byte it receives. Command bytes: 100/101 close/open the take-off\n"
        "valve a step, 102/103 lower/raise the target temperature by 0.5 C, 104 zeroes the\n"
        "volume counter, 105/106 switch the heating off/on.",
        "stillsim"};
    app.add_option("--period", settings.period_s, "Seconds between frames (default 0.85)")
        ->check(CLI::Range(0.01, 60.0));
    app.add_option("--jitter", settings.jitter_s,
                   "Each gap varies uniformly by up to this many seconds either way; 0 for "
                   "exact periods (default 0.05)")
        ->check(CLI::Range(0.0, 60.0));
    app.add_option("--seed", settings.seed,
                   "Seed of the jitter, the measurement noise and the random faults (default 1)");
    app.add_option("--count", settings.count,
                   "Stop after this many frames (one period later); 0 runs until stopped")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--speed", settings.speed,
                   "Run the still this many times faster than real time; the frame period stays "
                   "(default 1)")
        ->check(CLI::Range(0.001, 100000.0));
    app.add_option("--skip", settings.skip_s,
                   "Start this many seconds of run time into the run (the pot starts at 70 C and "
                   "boils after about 17 minutes)")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--start-time", start_time,
                   "Device clock HH:MM[:SS] at the start (default: the local time now)");
    app.add_option("--link", settings.link_path,
                   "Keep a symbolic link at this path pointing at the current terminal; it is "
                   "re-pointed after a hang-up and removed at the end");
    app.add_flag("--verbose", settings.verbose,
                 "Report every frame: sent whole or sent short (with its bytes in hex) or "
                 "discarded");

    auto* stall_after = app.add_option("--stall-after", settings.faults.stall_after,
                                       "Fault: after frame N send nothing for --stall-for seconds, "
                                       "then go on")
                            ->check(CLI::PositiveNumber);
    app.add_option("--stall-for", settings.faults.stall_for_s, "Length of the stall in seconds")
        ->check(CLI::Range(0.0, 3600.0))
        ->needs(stall_after);
    stall_after->needs(app.get_option("--stall-for"));
    app.add_option("--drop-byte-after", settings.faults.drop_byte_after,
                   "Fault: frame N+1 goes out without its first byte, so the stream shifts by one")
        ->check(CLI::PositiveNumber);
    auto* hangup_after = app.add_option("--hangup-after", settings.faults.hangup_after,
                                        "Fault: after frame N close the terminal like an "
                                        "unplugged device, then open a new one after "
                                        "--hangup-for seconds (and re-point --link)")
                             ->check(CLI::PositiveNumber);
    app.add_option("--hangup-for", settings.faults.hangup_for_s,
                   "Seconds without a terminal after the hang-up")
        ->check(CLI::Range(0.0, 3600.0))
        ->needs(hangup_after);
    hangup_after->needs(app.get_option("--hangup-for"));
    auto* random_faults = app.add_flag(
        "--random-faults", settings.faults.random,
        "Faults at random times, drawn from --seed: a stall (silent 3-8 s), a hang-up (no "
        "terminal for 2-5 s, then a new one behind --link), a dropped byte (one frame goes out "
        "a byte short) or a period error (3-6 frames 1.1-1.5 s apart); each is reported");
    app.add_option("--fault-every", settings.faults.random_every_s,
                   "Mean seconds between random faults, each gap 0.5-1.5 times this "
                   "(default 60)")
        ->check(CLI::Range(1.0, 86400.0))
        ->needs(random_faults);

    CLI11_PARSE(app, argc, argv);

    if (settings.jitter_s >= settings.period_s) {
        std::cerr << "stillsim: --jitter must be smaller than --period\n";
        return 2;
    }
    // The device clock reads the start time (or now) when the simulator starts.
    double first_frame_clock_s = local_seconds_of_day_now();
    if (!start_time.empty()) {
        const auto parsed = parse_time_of_day(start_time);
        if (!parsed) {
            std::cerr << "stillsim: --start-time wants HH:MM or HH:MM:SS\n";
            return 2;
        }
        first_frame_clock_s = *parsed;
    }
    settings.clock_start_s = first_frame_clock_s - settings.skip_s;

    std::signal(SIGPIPE, SIG_IGN);
    return stillmon::stillsim::run_simulator(settings, std::cout, std::cerr);
}
