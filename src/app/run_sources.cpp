#include "app/run_sources.h"

#include <string_view>

namespace stillmon {

RunSources open_run_sources(const RunPlan& plan, const LinkMaker& make_link,
                            ProcessEnd& process_end, std::ostream& console, std::ostream& errors) {
    RunSources sources;
    if (plan.mode == RunMode::replay) {
        sources.replay_log = std::make_unique<TextLogReader>(plan.text_log_name);
        return sources;
    }
    sources.link = make_link();
    const int error_number = sources.link->open(plan.port_text);
    console << port_opened_line(plan, error_number) << '\n';
    sources.logs = std::make_unique<CycleLogs>(
        plan.text_log_name, plan.binary_log_name,
        [&errors](std::string_view message) { errors << message << std::endl; });
    process_end.set_link(sources.link.get());
    process_end.set_logs(sources.logs.get());
    return sources;
}

}  // namespace stillmon
