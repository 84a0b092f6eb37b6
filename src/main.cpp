// stillmon: monitors a distillation column from its measuring device, or replays a saved log.
#include <pthread.h>
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "app/acquisition_cycle.h"
#include "app/command_line.h"
#include "app/console_keys.h"
#include "app/free_memory.h"
#include "app/link_supervisor.h"
#include "app/process_end.h"
#include "app/replay_prompt.h"
#include "app/supervisor_start.h"
#include "app/window_or_headless.h"
#include "base/key_queue.h"
#include "base/operator_state.h"
#include "display/chart_window.h"
#include "display/guide_line.h"
#include "display/screen_mode.h"
#include "display/sdl_snapshot.h"
#include "display/sdl_window.h"
#include "display/surface.h"
#include "display/window_presenter.h"
#include "display/window_title.h"
#include "link/serial_port_link.h"
#include "logging/cycle_logs.h"
#include "logging/text_log_reader.h"

namespace stillmon {
namespace {

using SteadyClock = std::chrono::steady_clock;

double monotonic_seconds() {
    return std::chrono::duration<double>(SteadyClock::now().time_since_epoch()).count();
}

// The main thread's surroundings for the cycle: waiting keeps the window's events flowing and
// the drawing presented, and carries out snapshot requests, which need the surface.
class MainThreadHost final : public CycleHost {
  public:
    MainThreadHost(WindowPresenter& presenter, const Surface& surface, OperatorState& state)
        : presenter_(presenter), surface_(surface), state_(state) {}

    double now_s() override { return monotonic_seconds(); }

    void wait_ms(int duration_ms) override {
        // Each wait_until shows what is drawn first, then keeps the window's events flowing.
        const auto deadline = SteadyClock::now() + std::chrono::milliseconds(duration_ms);
        while (SteadyClock::now() < deadline) {
            presenter_.wait_until(
                std::min(deadline, SteadyClock::now() + std::chrono::milliseconds(10)));
            take_snapshot_if_requested();
        }
    }

    void keep_alive() override {
        presenter_.service();
        take_snapshot_if_requested();
    }

    void cycle_drawn() override {
        presenter_.cycle_drawn();
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
    WindowPresenter& presenter_;
    const Surface& surface_;
    OperatorState& state_;
};

void print_usage(const char* program) {
    std::cout << "Usage: " << program << " [PORT [LOG]]\n"
              << "  PORT  a digit 1-9: monitor the device on serial port comPORT (live mode);\n"
              << "        anything else: replay the saved text log LOG.dat\n"
              << "  LOG   live: base name of the logs (2-18 characters, else \"Debug_\"),\n"
              << "        written as LOG+PORT.dat and LOG+PORT.bin\n"
              << "Serial port N is the device in $STILLMON_COM<N>, else /dev/ttyACM<N-1>.\n"
              << "Keys: see the README. Esc or x quits (exit status 55).\n";
}

// Signals end the process as the quit key does, so no logged cycle is lost; they are taken
// by a thread of their own rather than an asynchronous handler.
void block_ending_signals(sigset_t& signals) {
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

int run(int argc, char** argv) {
    const std::string port_argument = argc > 1 ? argv[1] : "";
    const std::string log_name_argument = argc > 2 ? argv[2] : "";
    if (port_argument == "--help") {
        print_usage(argv[0]);
        return 0;
    }
    if (port_argument == "--version") {
        std::cout << "stillmon " << STILLMON_VERSION << '\n';
        return 0;
    }

    sigset_t ending_signals;
    block_ending_signals(ending_signals);

    OperatorState state;
    ProcessEnd process_end;
    // The first frame interval and the supervisor's stall watch both count from here.
    state.last_frame_time_s.store(monotonic_seconds());

    std::cout << "Free memory:\n" << free_memory_amount_line(read_available_memory_bytes()) << '\n';

    const RunPlan plan = plan_run(port_argument, log_name_argument);
    std::unique_ptr<DeviceLink> link;
    std::unique_ptr<CycleLogs> logs;
    std::unique_ptr<TextLogReader> replay_log;
    std::string title;
    if (plan.mode == RunMode::live) {
        title = window_title(RunMode::live);
        link = make_serial_port_link();
        const int error_number = link->open(plan.port_text);
        std::cout << port_opened_line(plan, error_number) << '\n';
        logs = std::make_unique<CycleLogs>(
            plan.text_log_name, plan.binary_log_name,
            [](std::string_view message) { std::cerr << message << std::endl; });
        process_end.set_link(link.get());
        process_end.set_logs(logs.get());
    } else {
        title = window_title(RunMode::replay);
        // The binary log is never read in replay mode, so it is not opened at all.
        replay_log = std::make_unique<TextLogReader>(plan.text_log_name);
    }
    std::cout << program_line(argv[0], plan) << std::endl;

    std::thread signal_thread([&ending_signals, &process_end] {
        int signal_number = 0;
        while (sigwait(&ending_signals, &signal_number) != 0) {
        }
        process_end.close_all_and_exit(128 + signal_number);
    });
    signal_thread.detach();

    Surface surface(choose_screen_geometry(computer_name_from_environment()));
    KeyQueue keys;
    const WindowOrHeadless opened =
        open_window_or_headless(open_sdl_window, surface.geometry(), title, keys, std::cout);
    draw_guide_line(surface);
    WindowPresenter presenter(*opened.window, surface);
    MainThreadHost host(presenter, surface, state);

    LinkSupervisor supervisor(
        plan.mode, plan.port_text, state, link.get(),
        {monotonic_seconds,
         [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); },
         [&keys, &state]() -> std::optional<std::string> {
             if (state.prompt_owns_keys.load()) {
                 return std::nullopt;
             }
             return keys.try_pop();
         },
         [&process_end](int status) { process_end.close_all_and_exit(status); },
         [&state] { state.snapshot_request.store(true); }});
    if (!start_supervisor_thread([&supervisor] { supervisor.run(); }, surface)) {
        presenter.flush();
        process_end.close_all_and_exit(0);
    }

    AcquisitionCycle cycle(surface, state, host);
    if (plan.mode == RunMode::live) {
        while (true) {
            cycle.run_live_cycle(*link, *logs);
        }
    }
    while (true) {
        const ReplayOutcome outcome = cycle.run_replay_cycle(*replay_log);
        if (outcome == ReplayOutcome::cycle_drawn) {
            continue;
        }
        if (outcome == ReplayOutcome::log_ended_after_cycle) {
            state.prompt_owns_keys.store(true);
            const PromptKeys prompt_keys{
                [&] {
                    presenter.service();
                    host.take_snapshot_if_requested();
                    return keys.wait_pop(SteadyClock::now() + std::chrono::milliseconds(10));
                },
                [&] {
                    return opened.headless() && opened.console_keys->ended() && keys.size() == 0;
                }};
            presenter.flush();
            const PromptAnswer answer = ask_repeat(surface, prompt_keys);
            presenter.flush();
            process_end.close_all_and_exit(answer == PromptAnswer::quit ? 55 : 0);
        }
        process_end.close_all_and_exit(0);
    }
}

}  // namespace
}  // namespace stillmon

int main(int argc, char** argv) {
    return stillmon::run(argc, argv);
}
