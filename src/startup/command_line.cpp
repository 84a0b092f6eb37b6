#include "startup/command_line.h"

#include "base/number_forms.h"
#include "base/numbers.h"
#include "link/port_settings.h"

namespace stillmon {

namespace {

constexpr std::size_t shortest_log_base = 2;
constexpr std::size_t longest_log_base = 18;

bool usable_log_base(std::string_view log_name) {
    return log_name.size() >= shortest_log_base && log_name.size() <= longest_log_base;
}

}  // namespace

CommandLine read_command_line(const std::vector<std::string>& arguments) {
    CommandLine line;
    const auto note_unknown = [&line](const std::string& option) {
        if (line.unknown_option.empty()) {
            line.unknown_option = option;
        }
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool option =
            argument.starts_with("--") || (line.positional.empty() && argument.starts_with('-'));
        if (!option) {
            line.positional.push_back(argument);
        } else if (argument == "--help" || argument == "-h") {
            line.help = true;
        } else if (argument == "--version") {
            line.version = true;
        } else if ((argument == "--serve" || argument == "--config") && i + 1 == arguments.size()) {
            line.option_without_value = argument;
        } else if (argument == "--serve") {
            line.serve = arguments[++i];
        } else if (argument.starts_with("--serve=")) {
            line.serve = argument.substr(8);
        } else if (argument == "--config") {
            line.config = arguments[++i];
        } else if (argument.starts_with("--config=")) {
            line.config = argument.substr(9);
        } else {
            note_unknown(argument);
        }
    }
    return line;
}

bool selects_live_mode(std::string_view port_argument) {
    return port_argument.size() < 2 && read_number(port_argument) > 0.0;
}

RunPlan plan_run(std::string_view port_argument, std::string_view log_name_argument) {
    RunPlan plan;
    plan.port_argument = port_argument;
    plan.log_name_argument = log_name_argument;
    plan.mode = selects_live_mode(port_argument) ? RunMode::live : RunMode::replay;
    if (plan.mode == RunMode::live) {
        std::string base = usable_log_base(log_name_argument) ? std::string(log_name_argument)
                                                              : std::string("Debug_");
        base += port_argument;
        plan.text_log_name = base;
        plan.text_log_name += ".dat";
        plan.binary_log_name = base;
        plan.binary_log_name += ".bin";
        plan.port = PortSettings{port_argument[0] - '0'};
    } else {
        plan.text_log_name = log_name_argument;
        plan.text_log_name += ".dat";
        plan.binary_log_name = log_name_argument;
        plan.binary_log_name += ".bin";
    }
    return plan;
}

std::string unused_log_name_line(const RunPlan& plan) {
    const std::string& given = plan.log_name_argument;
    if (plan.mode != RunMode::live || given.empty() || usable_log_base(given)) {
        return {};
    }
    return "stillmon: the log name \"" + given + "\" is not used (" +
           std::to_string(shortest_log_base) + " to " + std::to_string(longest_log_base) +
           " characters); logging to " + plan.text_log_name + " and " + plan.binary_log_name;
}

std::string free_memory_amount_line(std::uint64_t available_bytes) {
    std::string line = " ";
    line += std::to_string(available_bytes / 1'048'576);
    line += " megabytes";
    return line;
}

std::string port_opened_line(const RunPlan& plan, int error_number) {
    std::string line = "Com ";
    line += plan.port_argument;
    line += " Port opened";
    line += integer_form(error_number);
    return line;
}

std::string program_line(std::string_view program_name, const RunPlan& plan) {
    std::string line = "exe= ";
    line += program_name;
    line += ", Command= ";
    line += plan.port_argument;
    line += ",FileName= ";
    line += plan.log_name_argument;
    line += " = ";
    line += plan.log_name_argument;
    return line;
}

std::string page_served_line(std::string_view url) {
    std::string line = "Page served at ";
    line += url;
    return line;
}

}  // namespace stillmon
