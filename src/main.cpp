// stillmon: monitors a distillation column from its measuring device, or replays a saved log.
#include <algorithm>
#include <chrono>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "app/acquisition_cycle.h"
#include "app/command_line.h"
#include "app/ending_signals.h"
#include "app/free_memory.h"
#include "app/link_supervisor.h"
#include "app/open_failure_notice.h"
#include "app/process_end.h"
#include "app/replay_prompt.h"
#include "app/run_sources.h"
#include "app/supervisor_start.h"
#include "app/window_or_headless.h"
#include "base/key_queue.h"
#include "base/operator_state.h"
#include "display/guide_line.h"
#include "display/screen_mode.h"
#include "display/sdl_snapshot.h"
#include "display/sdl_window.h"
#include "display/surface.h"
#include "display/window_presenter.h"
#include "display/window_title.h"
#include "link/serial_port_link.h"
#include "web/live_view.h"
#include "web/page_answers.h"
#include "web/page_server.h"
#include "web/serve_address.h"

namespace stillmon {
namespace {

using SteadyClock = std::chrono::steady_clock;

double monotonic_seconds() {
    return std::chrono::duration<double>(SteadyClock::now().time_since_epoch()).count();
}

// The main thread's surroundings for the cycle: it sleeps in the window's event wait, woken
// by the window's events, a frame read's answer and snapshot requests (carried out here, since
// they need the surface). When the page is served, each cycle's record goes to the live view,
// and so does a copy of the window's pixels, taken here between cycles.
class MainThreadHost final : public CycleHost {
  public:
    MainThreadHost(WindowPresenter& presenter, const Surface& surface, OperatorState& state,
                   KeyQueue& keys, LiveView* view)
        : presenter_(presenter), surface_(surface), state_(state), keys_(keys), view_(view) {}

    double now_s() override { return monotonic_seconds(); }

    void wait_ms(int duration_ms) override {
        publish_picture(true);
        const auto deadline = SteadyClock::now() + std::chrono::milliseconds(duration_ms);
        do {
            presenter_.wait_until(deadline);
            take_snapshot_if_requested();
        } while (SteadyClock::now() < deadline);
    }

    void wait_for_wake_up() override {
        publish_picture(true);
        presenter_.wait_until(SteadyClock::time_point::max());
        take_snapshot_if_requested();
    }

    void keep_window_live() override {
        presenter_.service();
        take_snapshot_if_requested();
    }

    void wake_up() override { presenter_.wake(); }

    void wake_supervisor() override { keys_.wake_waiting(); }

    void cycle_drawn(const CycleRecord& record) override {
        if (view_ != nullptr) {
            view_->publish_cycle(record, monotonic_seconds());
        }
        presenter_.cycle_drawn();
        publish_picture(false);
        take_snapshot_if_requested();
    }

    void take_snapshot_if_requested() {
        if (state_.snapshot_request.exchange(false)) {
            presenter_.flush();
            take_snapshot(surface_, std::cout);
            std::cout.flush();
        }
    }

  private:
    // A copy whenever the picture changed and the main thread is about to wait; at most a few
    // a second while cycles follow each other without waiting (a replay at full speed).
    void publish_picture(bool about_to_wait) {
        constexpr double busy_interval_s = 0.25;
        if (view_ == nullptr || surface_.revision() == picture_revision_) {
            return;
        }
        const double now = monotonic_seconds();
        if (!about_to_wait && now - picture_time_s_ < busy_interval_s) {
            return;
        }
        const auto pixels = surface_.pixels();
        view_->publish_picture(
            {surface_.width(), surface_.height(), {pixels.begin(), pixels.end()}});
        picture_revision_ = surface_.revision();
        picture_time_s_ = now;
    }

    WindowPresenter& presenter_;
    const Surface& surface_;
    OperatorState& state_;
    KeyQueue& keys_;
    LiveView* view_;
    std::uint64_t picture_revision_ = ~std::uint64_t{0};
    double picture_time_s_ = 0.0;
};

// Where the console cannot give the keys, a run without its window ends, logs closed.
WindowOrHeadless window_or_end(WindowOrHeadless shown, ProcessEnd& process_end) {
    if (!shown.window) {
        std::cerr << "stillmon: cannot open the chart window (" << shown.why_no_window << ")"
                  << std::endl;
        process_end.close_all_and_exit(1);
    }
    return shown;
}

// What the main thread draws on and shows, and where the operator's keys arrive: a window,
// or without a display the console.
struct MainScreen {
    MainScreen(RunMode mode, OperatorState& state, const ThreadStarter& start, LiveView* view,
               ProcessEnd& process_end)
        : surface(choose_screen_geometry(computer_name_from_environment())),
          shown(window_or_end(
              open_window_or_headless(open_sdl_window, surface.geometry(), window_title(mode), keys,
                                      std::cout, STDIN_FILENO, start),
              process_end)),
          presenter(*shown.window, surface),
          host(presenter, surface, state, keys, view) {
        draw_guide_line(surface);
    }

    Surface surface;
    KeyQueue keys{[](std::string_view said) { std::cerr << said << std::endl; }};
    const WindowOrHeadless shown;
    WindowPresenter presenter;
    MainThreadHost host;
};

void print_usage(const char* program) {
    std::cout << "Usage: " << program << " [--serve [ADDRESS:]PORT] [PORT [LOG]]\n"
              << "  PORT  a digit 1-9: monitor the device on serial port comPORT (live mode);\n"
              << "        anything else: replay the saved text log LOG.dat\n"
              << "  LOG   live: base name of the logs (2-18 characters, else \"Debug_\"),\n"
              << "        written as LOG+PORT.dat and LOG+PORT.bin\n"
              << "Serial port N is the device in $STILLMON_COM<N>, else "
              << device_naming_pattern(serial_device_naming()) << ".\n"
              << "Options, before or after PORT and LOG:\n"
              << "  -h, --help  print this help and exit\n"
              << "  --version   print the version and exit\n"
              << "  --serve [ADDRESS:]PORT  serve a live page of the run over HTTP on ADDRESS\n"
              << "              (default 127.0.0.1; 0.0.0.0: every interface) and PORT\n"
              << "Keys, files and exit statuses: man stillmon. Esc or x quits (exit status 55).\n";
}

void print_short_usage(const char* program) {
    std::cerr << "Usage: " << program
              << " [--serve [ADDRESS:]PORT] [PORT [LOG]]  (--help for more)\n";
}

// What the command line asks for.
struct Request {
    RunPlan plan;
    bool any_positional = false;
    std::optional<ServeAddress> serve;
};

// The usage, the version and an unknown option are answered here, without a plan; `status`
// is the exit status then.
std::optional<Request> read_request(int argc, char** argv, int& status) {
    const CommandLine line = read_command_line({argv + std::min(argc, 1), argv + argc});
    status = 0;
    if (line.help) {
        print_usage(argv[0]);
        return std::nullopt;
    }
    if (line.version) {
        std::cout << "stillmon " << STILLMON_VERSION << '\n';
        return std::nullopt;
    }
    status = 2;
    if (!line.unknown_option.empty()) {
        std::cerr << "stillmon: unknown option " << line.unknown_option << '\n';
        print_short_usage(argv[0]);
        return std::nullopt;
    }
    Request request;
    if (line.serve) {
        request.serve = read_serve_address(*line.serve);
        if (!request.serve) {
            std::cerr << "stillmon: --serve takes [ADDRESS:]PORT, not " << *line.serve << '\n';
            print_short_usage(argv[0]);
            return std::nullopt;
        }
    }
    status = 0;
    const auto& positional = line.positional;
    request.any_positional = !positional.empty();
    request.plan = plan_run(positional.size() > 0 ? positional[0] : "",
                            positional.size() > 1 ? positional[1] : "");
    return request;
}

void say_link_notice(std::string_view message) {
    std::cerr << message << std::endl;
}

// A replay of a log that cannot be read ends here, with status 1; without any argument the
// usage follows, since the log was never named.
RunSources open_sources(const RunPlan& plan, bool any_positional, char** argv,
                        ProcessEnd& process_end, OpenFailureNotice& open_failures,
                        const ThreadStarter& start) {
    std::cout << "Free memory:\n" << free_memory_amount_line(read_available_memory_bytes()) << '\n';
    RunSources sources = open_run_sources(
        plan, [&start] { return make_serial_port_link(start, say_link_notice); }, process_end,
        open_failures, std::cout, std::cerr);
    std::cout << program_line(argv[0], plan) << std::endl;
    if (plan.mode == RunMode::replay && !sources.replay_log) {
        if (!any_positional) {
            print_short_usage(argv[0]);
        }
        process_end.close_all_and_exit(1);
    }
    return sources;
}

// The page and what it reads, when --serve asks for it; without it no socket is opened.
struct Page {
    std::optional<LiveView> view;
    std::optional<PageAnswers> answers;
    std::unique_ptr<PageServer> server;
};

// A page that cannot be served is said on stderr; the run goes on without it.
void serve_page(Page& page, const ServeAddress& address, const RunPlan& plan,
                const ThreadStarter& start) {
    const bool live = plan.mode == RunMode::live;
    page.view.emplace();
    page.answers.emplace(*page.view,
                         PageSource{live, live ? plan.port_argument : "replay",
                                    live ? "port " + plan.port_argument : plan.text_log_name,
                                    LinkSupervisor::stall_limit_s},
                         monotonic_seconds, encode_picture_png);
    std::string why_not;
    page.server = start_page_server(address, *page.answers, start, why_not);
    if (!page.server) {
        std::cerr << "stillmon: cannot serve the page on " << page_url(address) << ": " << why_not
                  << std::endl;
        return;
    }
    ServeAddress bound = address;
    bound.port = page.server->port();
    std::cout << page_served_line(page_url(bound)) << std::endl;
}

LinkSupervisor::Platform supervisor_platform(MainScreen& screen, OperatorState& state,
                                             ProcessEnd& process_end,
                                             OpenFailureNotice& open_failures, LiveView* view) {
    return {monotonic_seconds,
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
            }};
}

// Without its thread nothing would take the operator's keys: the failure is shown on the
// window, and the program ends.
void start_supervisor(LinkSupervisor& supervisor, MainScreen& screen, ProcessEnd& process_end) {
    if (!start_supervisor_thread([&supervisor] { supervisor.run(); }, screen.surface)) {
        screen.presenter.flush();
        process_end.close_all_and_exit(0);
    }
}

// Without a window, input that has ended counts once its queued keys are taken.
bool console_input_ended(const MainScreen& screen) {
    return screen.shown.headless() && screen.shown.console_keys->ended() && screen.keys.size() == 0;
}

// The prompt keeps the window and the snapshot key served while it waits for a key.
PromptKeys prompt_keys(MainScreen& screen, OperatorState& state) {
    return {[&screen] { screen.keys.hand_to(KeyReader::prompt); },
            [&screen] {
                std::optional<std::string> key = screen.keys.try_pop(KeyReader::prompt);
                if (!key && !console_input_ended(screen)) {
                    screen.host.wait_for_wake_up();
                    key = screen.keys.try_pop(KeyReader::prompt);
                }
                return key;
            },
            [&screen] { return console_input_ended(screen); },
            [&screen, &state] {
                state.snapshot_request.store(true);
                screen.host.take_snapshot_if_requested();
            }};
}

[[noreturn]] void run_cycles(const RunPlan& plan, const RunSources& sources, MainScreen& screen,
                             OperatorState& state, ProcessEnd& process_end) {
    AcquisitionCycle cycle(screen.surface, state, screen.host);
    if (plan.mode == RunMode::live) {
        while (true) {
            cycle.run_live_cycle(*sources.link, *sources.logs);
        }
    }
    process_end.close_all_and_exit(replay_to_end(
        [&] { return cycle.run_replay_cycle(*sources.replay_log); }, screen.surface,
        [&screen] { screen.presenter.flush(); }, prompt_keys(screen, state),
        {plan.text_log_name, &std::cerr, screen.shown.headless() ? &std::cout : nullptr}));
}

int run(int argc, char** argv) {
    ignore_closed_console();
    int status = 0;
    const std::optional<Request> request = read_request(argc, argv, status);
    if (!request) {
        return status;
    }
    const RunPlan* plan = &request->plan;

    // The signal thread and the supervisor are detached and hold references to the locals
    // below. Those outlive them: from here on run() never returns, since every end of the
    // process, from whichever thread, goes through ProcessEnd::close_all_and_exit, whose
    // _Exit ends the process with this frame still in place.
    hold_ending_signals();
    OperatorState state;
    ProcessEnd process_end;
    // The first frame interval and the supervisor's stall watch both count from here.
    state.last_frame_time_s.store(monotonic_seconds());

    // A thread that cannot be started ends the program: said on stderr in these steps, on
    // the window for the supervisor's.
    const ThreadStarter start = ending_thread_starter(process_end, std::cerr);
    // Before anything is opened: a log that blocks its opening (a FIFO without a writer)
    // must not keep Ctrl+C and SIGTERM from ending the program.
    watch_ending_signals(process_end, start);
    OpenFailureNotice open_failures(std::cerr);
    const RunSources sources =
        open_sources(*plan, request->any_positional, argv, process_end, open_failures, start);
    Page page;
    if (request->serve) {
        serve_page(page, *request->serve, *plan, start);
    }
    LiveView* view = page.server ? &*page.view : nullptr;
    MainScreen screen(plan->mode, state, start, view, process_end);
    LinkSupervisor supervisor(plan->mode, plan->port_text, state, sources.link.get(),
                              supervisor_platform(screen, state, process_end, open_failures, view));
    start_supervisor(supervisor, screen, process_end);
    run_cycles(*plan, sources, screen, state, process_end);
}

}  // namespace
}  // namespace stillmon

int main(int argc, char** argv) {
    return stillmon::run(argc, argv);
}
