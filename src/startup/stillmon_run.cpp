#include "startup/stillmon_run.h"

#include <chrono>
#include <iostream>
#include <optional>
#include <thread>

#include "app/acquisition_cycle.h"
#include "app/link_supervisor.h"
#include "app/process_end.h"
#include "app/replay_prompt.h"
#include "base/operator_state.h"
#include "startup/configured_run.h"
#include "startup/main_screen.h"
#include "startup/open_failure_notice.h"
#include "startup/page_setup.h"
#include "startup/run_journal.h"
#include "startup/run_request.h"
#include "startup/run_sources.h"
#include "startup/supervisor_start.h"
#include "system/ending_signals.h"
#include "system/free_memory.h"
#include "system/installed_documentation.h"
#include "web/live_view.h"

namespace stillmon {

namespace {

using SteadyClock = std::chrono::steady_clock;

// A replay of a log that cannot be read ends here, with status 1; without any argument the
// usage follows, since the log was never named.
RunSources open_sources(const RunRequest& request, const char* program,
                        const ProgramPlatform& platform, ProcessEnd& process_end,
                        OpenFailureNotice& open_failures, const ThreadStarter& start,
                        const Say& say) {
    const RunPlan& plan = request.plan;
    std::cout << "Free memory:\n" << free_memory_amount_line(read_available_memory_bytes()) << '\n';
    RunSources sources = open_run_sources(plan, platform.make_link, start, process_end,
                                          open_failures, std::cout, say);
    std::cout << program_line(program, plan) << std::endl;
    if (plan.mode == RunMode::replay && !sources.replay_log) {
        if (!request.any_positional) {
            say_short_usage(program, say);
        }
        process_end.close_all_and_exit(1);
    }
    return sources;
}

LinkSupervisor::Platform supervisor_platform(MainScreen& screen, OperatorState& state,
                                             const ProgramPlatform& platform,
                                             ProcessEnd& process_end,
                                             OpenFailureNotice& open_failures, LiveView* view) {
    return {platform.now_s,
            [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); },
            [&screen](double wait_s) {
                const auto wait = std::chrono::duration<double>(wait_s);
                return screen.keys.wait_pop(
                    SteadyClock::now() + std::chrono::duration_cast<SteadyClock::duration>(wait),
                    KeyReader::supervisor);
            },
            [&process_end](int status) { process_end.close_all_and_exit(status); },
            [&screen, &state] {
                state.snapshot_request.store(true);
                screen.presenter.wake();
            },
            [&open_failures, view](const OpenResult& result) {
                open_failures.note(result);
                if (view != nullptr) {
                    view->count_link_reopen();
                }
            },
            [&screen] { screen.presenter.wake(); }};
}

// Without its thread nothing would take the operator's keys: the failure is shown on the
// window, and the program ends.
void start_supervisor(LinkSupervisor& supervisor, MainScreen& screen, ProcessEnd& process_end) {
    if (!start_supervisor_thread([&supervisor] { supervisor.run(); }, screen.surface)) {
        screen.presenter.flush();
        process_end.close_all_and_exit(0);
    }
}

// "stillmon 1.4.0 3 Run --config still.toml": what the journal says a session began with.
std::string session_start_text(std::string_view version,
                               const std::vector<std::string>& arguments) {
    std::string text = "stillmon " + std::string(version);
    for (const std::string& argument : arguments) {
        text += ' ' + argument;
    }
    return text;
}

// The prompt keeps the window and the snapshot key served while it waits for a key.
PromptKeys prompt_keys(MainScreen& screen, OperatorState& state) {
    return {[&screen] { screen.keys.hand_to(KeyReader::prompt); },
            [&screen] {
                std::optional<std::string> key = screen.keys.try_pop(KeyReader::prompt);
                if (!key && !screen.console_input_ended()) {
                    screen.host.wait_for_wake_up();
                    key = screen.keys.try_pop(KeyReader::prompt);
                }
                return key;
            },
            [&screen] { return screen.console_input_ended(); },
            [&screen, &state] {
                state.snapshot_request.store(true);
                screen.host.take_snapshot_if_requested();
            },
            [&screen, &state] {
                state.alarm_acknowledge_request.store(true);
                screen.presenter.wake();
            }};
}

[[noreturn]] void run_cycles(const RunPlan& plan, const RunSources& sources, MainScreen& screen,
                             OperatorState& state, ProcessEnd& process_end, LiveView* view,
                             const Say& say) {
    AcquisitionCycle cycle(screen.surface, state, screen.host);
    if (plan.mode == RunMode::live) {
        while (true) {
            cycle.run_live_cycle(*sources.link, *sources.logs);
        }
    }
    ReplayConsole console{
        plan.text_log_name, say, screen.shown.headless() ? &std::cout : nullptr, {}};
    if (view != nullptr) {
        console.ended = [view] { view->mark_replay_ended(); };
    }
    process_end.close_all_and_exit(replay_to_end(
        [&] { return cycle.run_replay_cycle(*sources.replay_log); }, screen.surface,
        [&screen] { screen.presenter.flush(); }, prompt_keys(screen, state), console));
}

}  // namespace

int run_stillmon(const char* program, const std::vector<std::string>& arguments,
                 const ProgramPlatform& platform) {
    ignore_closed_console();
    // Every line on stderr, from whichever thread, goes out whole.
    const Say say = say_lines_on(std::cerr);
    int status = 0;
    const std::optional<RunRequest> request = read_run_request(
        arguments, {program, platform.version, platform.device_naming, std::cout, say}, status);
    if (!request) {
        return status;
    }
    const RunPlan& plan = request->plan;

    // The signal thread and the supervisor are detached and hold references to the locals
    // below. Those outlive them: from here on this function never returns, since every end of
    // the process, from whichever thread, goes through ProcessEnd::close_all_and_exit, whose
    // _Exit ends the process with this frame still in place.
    hold_ending_signals();
    OperatorState state;
    ProcessEnd process_end;
    // The first frame interval and the supervisor's stall watch both count from here.
    state.last_frame_time_s.store(platform.now_s());

    // A thread that cannot be started ends the program: said on stderr in these steps, on
    // the window for the supervisor's.
    const ThreadStarter start = ending_thread_starter(process_end, say);
    // Before anything is opened: a log that blocks its opening (a FIFO without a writer)
    // must not keep Ctrl+C and SIGTERM from ending the program.
    watch_ending_signals(
        [&process_end](int exit_status) { process_end.close_all_and_exit(exit_status); }, start);
    OpenFailureNotice open_failures(say);
    const RunSources sources =
        open_sources(*request, program, platform, process_end, open_failures, start, say);
    Page page;
    if (request->serve) {
        serve_page(page, *request->serve, plan, platform, start, say);
    }
    LiveView* view = page.served_view();
    const std::string_view title_address =
        page.server ? std::string_view(page.url) : installed_documentation();
    MainScreen screen(plan.mode, title_address, state, platform, start, view, process_end, say);
    if (view != nullptr) {
        show_on_page(*view, screen.host.outputs());
    }
    LinkSupervisor supervisor(
        plan.mode, plan.port.value_or(PortSettings{}), state, sources.link.get(),
        supervisor_platform(screen, state, platform, process_end, open_failures, view));
    ConfiguredRun configured;
    if (request->config) {
        set_up_configured_run(configured, *request->config, plan, platform, start, screen, state,
                              process_end, say);
    }
    RunJournal journal;
    if (plan.mode == RunMode::live && request->config) {
        keep_live_journal(journal, plan, session_start_text(platform.version, arguments), screen,
                          state, process_end, say);
    } else if (plan.mode == RunMode::replay) {
        show_replayed_journal(journal, plan, screen, say);
    }
    start_supervisor(supervisor, screen, process_end);
    run_cycles(plan, sources, screen, state, process_end, view, say);
}

}  // namespace stillmon
