#include "startup/run_sources.h"

#include <filesystem>
#include <system_error>

namespace stillmon {

namespace {

// The saved log, or null when it cannot be read: then its name and the system's reason are
// said.
std::unique_ptr<TextLogReader> open_saved_log(const RunPlan& plan, const Say& say_error) {
    const std::string& path = plan.text_log_name;
    int reason = 0;
    if (auto log = open_text_log(path, reason)) {
        return log;
    }
    std::string said =
        "stillmon: cannot replay " + path + ": " + std::generic_category().message(reason);
    // The program adds ".dat" itself; a name typed with it is the commonest slip.
    const std::string& typed = plan.log_name_argument;
    std::error_code ignored;
    if (typed.ends_with(".dat") && std::filesystem::exists(typed, ignored)) {
        said += "; leave the .dat off the name: " + typed.substr(0, typed.size() - 4);
    }
    say_error(said);
    return nullptr;
}

}  // namespace

RunSources open_run_sources(const RunPlan& plan, const SerialLinkMaker& make_link,
                            const ThreadStarter& start, ProcessEnd& process_end,
                            OpenFailureNotice& open_failures, std::ostream& console,
                            const Say& say_error) {
    RunSources sources;
    if (plan.mode == RunMode::replay) {
        sources.replay_log = open_saved_log(plan, say_error);
        return sources;
    }
    sources.link = make_link(start, say_error);
    const OpenResult opened = sources.link->open(*plan.port);
    console << port_opened_line(plan, opened.error_number) << '\n';
    open_failures.note(opened);
    sources.logs = std::make_unique<CycleLogs>(plan.text_log_name, plan.binary_log_name, say_error);
    process_end.set_link(sources.link.get());
    process_end.set_logs(sources.logs.get());
    return sources;
}

}  // namespace stillmon
