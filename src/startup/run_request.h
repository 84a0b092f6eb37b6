#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "base/error_lines.h"
#include "config/config_file.h"
#include "link/port_settings.h"
#include "startup/command_line.h"
#include "web/serve_address.h"

namespace stillmon {

// What the command line asks the program to run.
struct RunRequest {
    RunPlan plan;
    bool any_positional = false;
    std::optional<ServeAddress> serve;
    std::optional<RunConfig> config;  // --config's, read before anything is opened
};

// How the program answers a command line that asks for no run.
struct RequestAnswers {
    std::string_view program;  // argv[0], as the usage names it
    std::string_view version;
    DeviceNaming naming;  // how the usage names the serial devices
    std::ostream& console;
    Say say_error;
};

// Reads the arguments after the program's name. --help and --version are answered on the
// console, with nothing to run and `status` 0; an unknown option, --serve or --config without
// its value or a bad --serve address through `say_error`, followed by the short usage, with
// status 2. A configuration file that cannot be read or holds a mistake is said in one line,
// with status 2. A live run's log name that the logs do not take is said too.
std::optional<RunRequest> read_run_request(const std::vector<std::string>& arguments,
                                           const RequestAnswers& answers, int& status);

// One line: how to call the program, and that --help says more.
void say_short_usage(std::string_view program, const Say& say);

}  // namespace stillmon
