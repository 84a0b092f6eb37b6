#include "startup/page_setup.h"

#include <iostream>
#include <string>

#include "app/link_supervisor.h"

namespace stillmon {

void serve_page(Page& page, const ServeAddress& address, const RunPlan& plan,
                const ProgramPlatform& platform, const ThreadStarter& start, const Say& say) {
    const bool live = plan.mode == RunMode::live;
    page.view.emplace();
    page.answers.emplace(*page.view,
                         PageSource{live, live ? plan.port_argument : "replay",
                                    live ? "port " + plan.port_argument : plan.text_log_name,
                                    LinkSupervisor::stall_limit_s},
                         platform.now_s, platform.encode_png);
    std::string why_not;
    page.server = platform.start_page_server(address, *page.answers, start, why_not);
    if (!page.server) {
        say("stillmon: cannot serve the page on " + page_url(address) + ": " + why_not);
        return;
    }
    ServeAddress bound = address;
    bound.port = page.server->port();
    page.url = page_url(bound);
    std::cout << page_served_line(page.url) << std::endl;
}

void show_on_page(LiveView& view, CycleOutputs& outputs) {
    outputs.on_each_cycle(
        [&view](const CycleRecord& record, double now_s) { view.publish_cycle(record, now_s); });
    outputs.on_each_alarm_look([&view](const AlarmLook& look) {
        // The marks first: the page publishes them with the state that follows.
        for (const AlarmNotice& notice : look.notices) {
            view.note_alarm_change(notice);
        }
        view.publish_alarms(alarm_snapshots(look.board, look.now));
    });
    outputs.on_each_journal_entry(
        [&view](const JournalEntry& entry) { view.add_journal_entry(entry); });
}

}  // namespace stillmon
