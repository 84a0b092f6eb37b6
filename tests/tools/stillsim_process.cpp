#include "stillsim_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <stdexcept>

extern char** environ;

namespace stillmon::test_support {

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

}  // namespace stillmon::test_support
