#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/cycle_outputs.h"
#include "base/error_lines.h"
#include "base/thread_starter.h"
#include "startup/command_line.h"
#include "startup/program_platform.h"
#include "web/live_view.h"
#include "web/page_answers.h"
#include "web/page_server.h"
#include "web/serve_address.h"

namespace stillmon {

// The page and what it reads, when --serve asks for it; without it no socket is opened.
struct Page {
    std::optional<LiveView> view;
    std::optional<PageAnswers> answers;
    std::unique_ptr<PageServer> server;
    std::string url;  // where it is served, once it is

    // The live view the cycle feeds; null when no page is served.
    LiveView* served_view() { return server ? &*view : nullptr; }
};

// Serves the page on `address` and says where on the console ("Page served at ..."). A page
// that cannot be served is said; the run goes on without it.
void serve_page(Page& page, const ServeAddress& address, const RunPlan& plan,
                const ProgramPlatform& platform, const ThreadStarter& start, const Say& say);

// The served page takes each cycle's record, each entry of the run's journal and, with alarms,
// each look at them.
void show_on_page(LiveView& view, CycleOutputs& outputs);

}  // namespace stillmon
