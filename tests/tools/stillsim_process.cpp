#include "stillsim_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <stdexcept>

extern char** environ;

namespace stillmon::testing {
namespace {

int milliseconds_left(TestClock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TestClock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

SimulatorProcess::SimulatorProcess(const std::vector<std::string>& arguments) {
    std::array<int, 2> pipe_fds{};
    if (pipe2(pipe_fds.data(), O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe2 failed");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDOUT_FILENO);

    std::vector<std::string> all{STILLSIM_PROGRAM};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& argument : all) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    const int spawned =
        posix_spawn(&pid_, STILLSIM_PROGRAM, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipe_fds[1]);
    output_fd_ = pipe_fds[0];
    if (spawned != 0) {
        pid_ = -1;
        throw std::runtime_error("cannot start " STILLSIM_PROGRAM);
    }
}

SimulatorProcess::~SimulatorProcess() {
    stop();
    if (output_fd_ >= 0) {
        ::close(output_fd_);
    }
}

void SimulatorProcess::stop() {
    if (pid_ <= 0) {
        return;
    }
    kill(pid_, SIGTERM);
    if (!wait_for_exit(std::chrono::milliseconds(2000))) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
}

void SimulatorProcess::send_signal(int signal_number) const {
    if (pid_ > 0) {
        kill(pid_, signal_number);
    }
}

std::optional<int> SimulatorProcess::wait_for_exit(std::chrono::milliseconds timeout) {
    if (pid_ <= 0) {
        return std::nullopt;
    }
    // A process descriptor becomes readable when the child ends, so the wait needs no naps.
    // (Called through syscall: this C library's header declares it without C linkage.)
    const int process_fd = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
    if (process_fd >= 0) {
        pollfd entry{process_fd, POLLIN, 0};
        poll(&entry, 1, static_cast<int>(timeout.count()));
        ::close(process_fd);
    }
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) != pid_) {
        return std::nullopt;
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::optional<std::string> SimulatorProcess::next_line(std::chrono::milliseconds timeout) {
    const auto deadline = TestClock::now() + timeout;
    for (;;) {
        if (const auto end = buffered_.find('\n'); end != std::string::npos) {
            std::string line = buffered_.substr(0, end);
            buffered_.erase(0, end + 1);
            lines_.push_back(line);
            return line;
        }
        pollfd entry{output_fd_, POLLIN, 0};
        if (poll(&entry, 1, milliseconds_left(deadline)) <= 0) {
            return std::nullopt;
        }
        std::array<char, 512> chunk{};
        const ssize_t count = ::read(output_fd_, chunk.data(), chunk.size());
        if (count <= 0) {
            return std::nullopt;
        }
        buffered_.append(chunk.data(), static_cast<std::size_t>(count));
    }
}

std::optional<std::string> SimulatorProcess::wait_for_line(const std::string& text,
                                                           std::chrono::milliseconds timeout) {
    const auto deadline = TestClock::now() + timeout;
    while (TestClock::now() < deadline) {
        const auto line = next_line(std::chrono::milliseconds(milliseconds_left(deadline)));
        if (!line) {
            return std::nullopt;
        }
        if (line->find(text) != std::string::npos) {
            return line;
        }
    }
    return std::nullopt;
}

TerminalReader::TerminalReader(const std::string& path, bool set_raw_mode) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0 || !set_raw_mode) {
        return;
    }
    termios modes{};
    tcgetattr(fd_, &modes);
    cfmakeraw(&modes);
    modes.c_cflag |= CLOCAL | CREAD;
    tcsetattr(fd_, TCSANOW, &modes);
}

TerminalReader::~TerminalReader() {
    close();
}

void TerminalReader::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

TerminalReader::Reading TerminalReader::read_bytes(std::size_t count,
                                                   std::chrono::milliseconds timeout) {
    const auto deadline = TestClock::now() + timeout;
    Reading reading;
    while (reading.bytes.size() < count) {
        pollfd entry{fd_, POLLIN, 0};
        if (poll(&entry, 1, milliseconds_left(deadline)) <= 0) {
            reading.ending = Ending::timed_out;
            return reading;
        }
        std::array<std::uint8_t, 64> chunk{};
        const std::size_t wanted = std::min(chunk.size(), count - reading.bytes.size());
        const ssize_t got = ::read(fd_, chunk.data(), wanted);
        if (got == 0) {
            reading.ending = Ending::end_of_file;
            return reading;
        }
        if (got < 0) {
            if (errno == EAGAIN || errno == EINTR) {
                continue;
            }
            reading.ending = Ending::error;
            reading.error_number = errno;
            return reading;
        }
        reading.bytes.insert(reading.bytes.end(), chunk.begin(), chunk.begin() + got);
    }
    reading.ending = Ending::complete;
    reading.completed_at = TestClock::now();
    return reading;
}

std::optional<TelemetryFrame> TerminalReader::read_frame(std::chrono::milliseconds timeout,
                                                         TestClock::time_point* arrived_at) {
    const Reading reading = read_bytes(frame_size_bytes, timeout);
    if (reading.ending != Ending::complete) {
        return std::nullopt;
    }
    if (arrived_at != nullptr) {
        *arrived_at = reading.completed_at;
    }
    TelemetryFrame frame;
    store_frame_bytes(frame, reading.bytes);
    return frame;
}

bool TerminalReader::write_byte(std::uint8_t byte) {
    return ::write(fd_, &byte, 1) == 1;
}

}  // namespace stillmon::testing
