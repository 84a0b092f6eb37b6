#include "stillsim/simulator.h"

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include "base/numbers.h"
#include "base/telemetry_frame.h"
#include "stillsim/fault_plan.h"
#include "stillsim/frame_schedule.h"
#include "stillsim/link_file.h"
#include "stillsim/pseudo_terminal.h"
#include "stillsim/run_model.h"

namespace stillmon::stillsim {
namespace {

// While no reader is attached the master cannot wake us when one arrives (it reports a
// hang-up all the time), so it is looked at this often instead.
constexpr double attach_check_interval_s = 0.02;

std::string wall_clock_text() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto milliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min,
                  local.tm_sec, static_cast<int>(milliseconds));
    return text.data();
}

std::string hex_text(const std::vector<std::uint8_t>& bytes) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string text;
    for (const std::uint8_t byte : bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 0xF];
    }
    return text;
}

// Blocks the stop signals and delivers them through a descriptor the loop can poll.
int open_stop_signals() {
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGINT);
    sigaddset(&stop_signals, SIGTERM);
    sigaddset(&stop_signals, SIGHUP);
    if (sigprocmask(SIG_BLOCK, &stop_signals, nullptr) != 0) {
        return -1;
    }
    return signalfd(-1, &stop_signals, SFD_CLOEXEC | SFD_NONBLOCK);
}

class Simulator {
  public:
    Simulator(const SimulatorSettings& settings, std::ostream& out, std::ostream& errors)
        : settings_(settings),
          out_(out),
          errors_(errors),
          model_(RunSettings{settings.clock_start_s, settings.seed}),
          schedule_(settings.period_s, settings.jitter_s, settings.seed),
          start_(std::chrono::steady_clock::now()),
          hangup_for_s_(settings.faults.hangup_for_s) {
        if (settings.faults.random) {
            random_faults_.emplace(settings.faults.random_every_s, settings.seed);
            plan_random_fault(0.0);
        }
    }

    int run();

  private:
    double elapsed_s() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }
    void report(const std::string& text) {
        out_ << wall_clock_text() << ' ' << text << '\n' << std::flush;
    }
    bool open_terminal();
    void close_terminal();
    void wait_for_events(int signal_fd, bool& stop);
    void take_commands();
    void reader_left();
    void write_pending();
    void send_frame();
    void after_frame(double now_s);
    double next_gap_s();
    void plan_random_fault(double quiet_from_s);
    bool start_random_fault(double now_s);
    bool sending_frames() const { return terminal_ && !exit_at_s_ && !hangup_starts_s_; }
    double next_wake_s() const;

    const SimulatorSettings& settings_;
    std::ostream& out_;
    std::ostream& errors_;
    RunModel model_;
    FrameSchedule schedule_;
    std::chrono::steady_clock::time_point start_;

    std::optional<PseudoTerminal> terminal_;
    std::string slave_path_;  // kept through a hang-up so the link can be removed at the end
    bool reader_attached_ = false;
    std::vector<std::uint8_t> pending_;        // rest of a frame the terminal did not take at once
    std::vector<std::uint8_t> pending_frame_;  // all the bytes of the frame pending_ ends
    std::string pending_report_;               // told once the last of pending_ has gone out
    long frames_produced_ = 0;
    double next_frame_s_ = 0.0;
    std::optional<double> hangup_starts_s_;  // when the terminal is to close
    std::optional<double> hangup_ends_s_;    // when a new terminal is to appear
    std::optional<double> exit_at_s_;
    double hangup_for_s_;

    std::optional<FaultPlan> random_faults_;
    PlannedFault next_random_fault_;
    double next_random_fault_s_ = 0.0;
    std::optional<std::size_t> drop_byte_at_;  // of the next frame
    int slow_frames_left_ = 0;                 // of a period error
    double slow_period_s_ = 0.0;
};

bool Simulator::open_terminal() {
    std::string error;
    terminal_ = PseudoTerminal::open(error);
    if (!terminal_) {
        errors_ << "stillsim: cannot open a pseudo-terminal: " << error << '\n';
        return false;
    }
    slave_path_ = terminal_->slave_path();
    if (!settings_.link_path.empty()) {
        const std::string link_error = point_link_at(settings_.link_path, slave_path_);
        if (!link_error.empty()) {
            errors_ << "stillsim: cannot link " << link_error << '\n';
            return false;
        }
    }
    return true;
}

void Simulator::close_terminal() {
    terminal_.reset();
    reader_attached_ = false;
    pending_.clear();
    pending_report_.clear();
}

int Simulator::run() {
    const int signal_fd = open_stop_signals();
    if (signal_fd < 0) {
        errors_ << "stillsim: cannot take the stop signals\n";
        return 1;
    }
    if (!open_terminal()) {
        ::close(signal_fd);
        return 1;
    }
    out_ << slave_path_ << '\n' << std::flush;

    model_.advance_to(settings_.skip_s);
    next_frame_s_ = schedule_.next_interval_s();
    int status = 0;
    for (bool stop = false; !stop;) {
        wait_for_events(signal_fd, stop);
        const double now_s = elapsed_s();
        if (stop || (exit_at_s_ && now_s >= *exit_at_s_)) {
            break;
        }
        if (hangup_starts_s_ && now_s >= *hangup_starts_s_) {
            hangup_starts_s_.reset();
            report("hang-up: terminal " + slave_path_ + " closed for " +
                   format_number(hangup_for_s_, "0.000") + " s");
            close_terminal();
            hangup_ends_s_ = now_s + hangup_for_s_;
        }
        if (hangup_ends_s_ && now_s >= *hangup_ends_s_) {
            hangup_ends_s_.reset();
            if (!open_terminal()) {
                status = 1;
                break;
            }
            report("new terminal " + slave_path_);
            next_frame_s_ = now_s + next_gap_s();
        }
        if (terminal_ && !reader_attached_ && terminal_->reader_attached()) {
            reader_attached_ = true;
            report("reader attached");
        }
        if (sending_frames() && now_s >= next_frame_s_) {
            send_frame();
            after_frame(now_s);
        }
    }
    if (!settings_.link_path.empty()) {
        remove_link_to(settings_.link_path, slave_path_);
    }
    close_terminal();
    ::close(signal_fd);
    return status;
}

double Simulator::next_wake_s() const {
    double wake_s = sending_frames() ? next_frame_s_ : std::numeric_limits<double>::infinity();
    for (const auto& moment : {exit_at_s_, hangup_starts_s_, hangup_ends_s_}) {
        if (moment) {
            wake_s = std::min(wake_s, *moment);
        }
    }
    return wake_s;
}

void Simulator::wait_for_events(int signal_fd, bool& stop) {
    double wake_s = next_wake_s();
    std::array<pollfd, 2> entries{{{signal_fd, POLLIN, 0}, {-1, 0, 0}}};
    if (terminal_ && reader_attached_) {
        entries[1] = {terminal_->master_fd(),
                      static_cast<short>(POLLIN | (pending_.empty() ? 0 : POLLOUT)), 0};
    } else if (terminal_) {
        wake_s = std::min(wake_s, elapsed_s() + attach_check_interval_s);
    }
    const double timeout_s = std::clamp(wake_s - elapsed_s(), 0.0, 3600.0);
    // Rounded up, so the loop does not spin through the last fraction of a millisecond.
    const int timeout_ms = static_cast<int>(std::ceil(timeout_s * 1000.0));
    if (poll(entries.data(), entries.size(), timeout_ms) <= 0) {
        return;
    }
    if (entries[0].revents != 0) {
        signalfd_siginfo info{};
        if (::read(signal_fd, &info, sizeof info) > 0) {
            report("stopped by signal " + std::to_string(info.ssi_signo));
            stop = true;
        }
        return;
    }
    const short events = entries[1].revents;
    if ((events & POLLIN) != 0) {
        take_commands();
    }
    if ((events & (POLLHUP | POLLERR)) != 0) {
        reader_left();
    } else if ((events & POLLOUT) != 0) {
        write_pending();
    }
}

void Simulator::take_commands() {
    for (const std::uint8_t byte : terminal_->read_available()) {
        const CommandReaction reaction = model_.apply_command(byte);
        report("command " + std::to_string(byte) + ": " + reaction.text);
    }
}

void Simulator::reader_left() {
    // The reader's last bytes are still readable after it has gone.
    take_commands();
    terminal_->discard_unread_output();
    reader_attached_ = false;
    if (!pending_.empty()) {
        report(pending_report_ + " cut short: the reader left after " +
               std::to_string(pending_frame_.size() - pending_.size()) + " of " +
               std::to_string(pending_frame_.size()) + " bytes");
    }
    pending_.clear();
    pending_report_.clear();
    report("reader left");
}

void Simulator::write_pending() {
    const auto written = terminal_->write_some(pending_);
    if (!written) {
        reader_left();
        return;
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(*written));
    if (pending_.empty() && !pending_report_.empty()) {
        if (settings_.verbose) {
            const bool whole = pending_frame_.size() == frame_size_bytes;
            report(pending_report_ + (whole ? " sent whole: " : " sent short: ") +
                   hex_text(pending_frame_));
        }
        pending_report_.clear();
    }
}

void Simulator::send_frame() {
    ++frames_produced_;
    const bool was_finished = model_.state().run_finished;
    model_.advance_to(settings_.skip_s + settings_.speed * next_frame_s_);
    if (model_.state().run_finished && !was_finished) {
        report("end of run: heating off at steam " + format_number(model_.state().steam_c, "0.0") +
               " C");
    }
    const TelemetryFrame frame = model_.next_frame();
    const auto bytes = frame_bytes(frame);
    std::vector<std::uint8_t> sending(bytes.begin(), bytes.end());
    const std::string name = "frame " + std::to_string(frames_produced_) + " (record " +
                             std::to_string(frame.record_number()) + ")";
    std::optional<std::size_t> dropped = std::exchange(drop_byte_at_, std::nullopt);
    if (settings_.faults.drop_byte_after > 0 &&
        frames_produced_ == settings_.faults.drop_byte_after + 1) {
        dropped = 0;
    }
    if (dropped) {
        sending.erase(sending.begin() + static_cast<std::ptrdiff_t>(*dropped));
        report(name + ": byte " + std::to_string(*dropped + 1) + " of " +
               std::to_string(frame_size_bytes) + " dropped");
    }
    if (!reader_attached_) {
        if (settings_.verbose) {
            report(name + " discarded: no reader");
        }
        return;
    }
    if (!pending_.empty()) {
        report(name + " discarded: the reader is not reading");
        return;
    }
    pending_frame_ = sending;
    pending_report_ = name;
    pending_ = std::move(sending);
    write_pending();
}

double Simulator::next_gap_s() {
    if (slow_frames_left_ > 0) {
        --slow_frames_left_;
        return slow_period_s_;
    }
    return schedule_.next_interval_s();
}

void Simulator::plan_random_fault(double quiet_from_s) {
    next_random_fault_ = random_faults_->next();
    next_random_fault_s_ = quiet_from_s + next_random_fault_.gap_s;
}

// Starts the random fault that is due after the frame just sent; true when it has set the
// next frame's time itself.
bool Simulator::start_random_fault(double now_s) {
    const PlannedFault fault = next_random_fault_;
    switch (fault.kind) {
        case FaultKind::stall:
            report("stall: silent for " + format_number(fault.length_s, "0.000") + " s");
            next_frame_s_ += fault.length_s;
            plan_random_fault(next_frame_s_);
            return true;
        case FaultKind::hangup:
            // Announced when the terminal closes, where the next frame would be due.
            hangup_for_s_ = fault.length_s;
            hangup_starts_s_ = next_frame_s_ + next_gap_s();
            plan_random_fault(*hangup_starts_s_ + fault.length_s);
            return true;
        case FaultKind::dropped_byte:
            // Announced with the frame that loses it.
            drop_byte_at_ = static_cast<std::size_t>(fault.byte_index);
            plan_random_fault(now_s);
            return false;
        case FaultKind::period_error:
            report("period error: the next " + std::to_string(fault.frames) + " frames " +
                   format_number(fault.period_s, "0.000") + " s apart");
            slow_frames_left_ = fault.frames;
            slow_period_s_ = fault.period_s;
            plan_random_fault(now_s + fault.frames * fault.period_s);
            return false;
    }
    return false;
}

void Simulator::after_frame(double now_s) {
    const FaultSettings& faults = settings_.faults;
    if (settings_.count > 0 && frames_produced_ >= settings_.count) {
        // One more period lets the reader take the last frame before the terminal closes.
        exit_at_s_ = next_frame_s_ + schedule_.period_s();
        return;
    }
    if (faults.stall_after > 0 && frames_produced_ == faults.stall_after) {
        report("stall: silent for " + format_number(faults.stall_for_s, "0.000") + " s");
        next_frame_s_ += faults.stall_for_s;
        return;
    }
    if (faults.hangup_after > 0 && frames_produced_ == faults.hangup_after) {
        // Unplugged when the next frame would be due, so the reader has this one first.
        hangup_starts_s_ = next_frame_s_ + schedule_.next_interval_s();
        return;
    }
    if (random_faults_ && now_s >= next_random_fault_s_ && start_random_fault(now_s)) {
        return;
    }
    next_frame_s_ += next_gap_s();
    // After the process was held up, carry on from now instead of sending a burst.
    if (next_frame_s_ < now_s) {
        next_frame_s_ = now_s + next_gap_s();
    }
}

}  // namespace

int run_simulator(const SimulatorSettings& settings, std::ostream& out, std::ostream& errors) {
    Simulator simulator(settings, out, errors);
    return simulator.run();
}

}  // namespace stillmon::stillsim
