#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/run_mode.h"
#include "link/port_settings.h"

namespace stillmon {

// What the command line decides for the whole run: the mode, the file names and the port.
struct RunPlan {
    std::string port_argument;      // first argument as typed, empty when absent
    std::string log_name_argument;  // second argument as typed, empty when absent
    RunMode mode = RunMode::replay;
    std::string text_log_name;
    std::string binary_log_name;
    std::optional<PortSettings> port;  // live only
};

// The command line taken apart: options start with "--" and may stand anywhere; the first
// argument that is no option's is the port argument, the second the log name, and any after
// them are ignored. A first positional argument starting with "-" is an option too ("-h", or
// an unknown one), as it always was; a later one is an ordinary log name.
struct CommandLine {
    std::vector<std::string> positional;
    bool help = false;
    bool version = false;
    std::optional<std::string> serve;   // --serve's value as typed
    std::optional<std::string> config;  // --config's file
    std::string unknown_option;         // the first option not known
    std::string option_without_value;   // the first of --serve and --config that ends the line
};

CommandLine read_command_line(const std::vector<std::string>& arguments);

// Only a single character whose number is above 0 ("1" to "9") selects live mode.
bool selects_live_mode(std::string_view port_argument);

RunPlan plan_run(std::string_view port_argument, std::string_view log_name_argument);

// Live, with a log name the logs do not take, what stderr says of it, so that two runs never
// share the Debug_ logs unawares: "stillmon: the log name "R" is not used (2 to 18
// characters); logging to Debug_3.dat and Debug_3.bin". Empty otherwise.
std::string unused_log_name_line(const RunPlan& plan);

// Console report lines.
std::string free_memory_amount_line(std::uint64_t available_bytes);   // " 1850 megabytes"
std::string port_opened_line(const RunPlan& plan, int error_number);  // "Com 3 Port opened 0"
std::string program_line(std::string_view program_name, const RunPlan& plan);  // "exe= ..."
std::string page_served_line(std::string_view url);  // "Page served at http://..."

}  // namespace stillmon
