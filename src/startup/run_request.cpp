#include "startup/run_request.h"

namespace stillmon {

namespace {

// What follows the program's name in both usages.
constexpr std::string_view usage_arguments =
    " [--serve [ADDRESS:]PORT] [--config FILE] [PORT [LOG]]";

void print_usage(const RequestAnswers& answers) {
    answers.console
        << "Usage: " << answers.program << usage_arguments << "\n"
        << "  PORT  a digit 1-9: monitor the device on serial port comPORT (live mode);\n"
        << "        anything else: replay the saved text log LOG.dat\n"
        << "  LOG   live: base name of the logs (2-18 characters, else \"Debug_\"),\n"
        << "        written as LOG+PORT.dat and LOG+PORT.bin\n"
        << "Serial port N is the device in $STILLMON_COM<N>, else "
        << device_naming_pattern(answers.naming) << ".\n"
        << "Options, before or after PORT and LOG:\n"
        << "  -h, --help  print this help and exit\n"
        << "  --version   print the version and exit\n"
        << "  --serve [ADDRESS:]PORT  serve a live page of the run over HTTP on ADDRESS\n"
        << "              (default 127.0.0.1; 0.0.0.0: every interface) and PORT\n"
        << "  --config FILE  read alarms, where they are notified and the MQTT broker\n"
        << "              from the TOML FILE\n"
        << "Keys, files and exit statuses: man stillmon. Esc or x quits (exit status 55).\n";
}

}  // namespace

void say_short_usage(std::string_view program, const Say& say) {
    say("Usage: " + std::string(program) + std::string(usage_arguments) + "  (--help for more)");
}

std::optional<RunRequest> read_run_request(const std::vector<std::string>& arguments,
                                           const RequestAnswers& answers, int& status) {
    const CommandLine line = read_command_line(arguments);
    status = 0;
    if (line.help) {
        print_usage(answers);
        return std::nullopt;
    }
    if (line.version) {
        answers.console << "stillmon " << answers.version << '\n';
        return std::nullopt;
    }
    status = 2;
    std::string refused;
    if (!line.unknown_option.empty()) {
        refused = "unknown option " + line.unknown_option;
    } else if (line.option_without_value == "--serve") {
        refused = "--serve needs [ADDRESS:]PORT";
    } else if (!line.option_without_value.empty()) {
        refused = line.option_without_value + " needs a FILE";
    }
    if (!refused.empty()) {
        answers.say_error("stillmon: " + refused);
        say_short_usage(answers.program, answers.say_error);
        return std::nullopt;
    }
    RunRequest request;
    if (line.serve) {
        request.serve = read_serve_address(*line.serve);
        if (!request.serve) {
            answers.say_error("stillmon: --serve takes [ADDRESS:]PORT, not " + *line.serve);
            say_short_usage(answers.program, answers.say_error);
            return std::nullopt;
        }
    }
    if (line.config) {
        std::string error;
        request.config = read_config_file(*line.config, error);
        if (!request.config) {
            answers.say_error("stillmon: " + error);
            return std::nullopt;
        }
    }
    status = 0;
    const auto& positional = line.positional;
    request.any_positional = !positional.empty();
    request.plan = plan_run(positional.size() > 0 ? positional[0] : "",
                            positional.size() > 1 ? positional[1] : "");
    if (const std::string said = unused_log_name_line(request.plan); !said.empty()) {
        answers.say_error(said);
    }
    return request;
}

}  // namespace stillmon
