#include "notify/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>
#include <thread>

extern char** environ;

namespace stillmon {

namespace {

std::string error_text(int error) {
    return std::generic_category().message(error);
}

// The program's environment without the names that `added` sets, then `added`.
std::vector<std::string> child_environment(
    const std::vector<std::pair<std::string, std::string>>& added) {
    std::vector<std::string> variables;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view variable(*entry);
        bool replaced = false;
        for (const auto& [name, value] : added) {
            replaced = replaced || (variable.starts_with(name) && variable.size() > name.size() &&
                                    variable[name.size()] == '=');
        }
        if (!replaced) {
            variables.emplace_back(variable);
        }
    }
    for (const auto& [name, value] : added) {
        variables.push_back(name + '=' + value);
    }
    return variables;
}

std::vector<char*> pointers_to(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

void write_all(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;  // the child does not read its input (or not yet): its business
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
}

// True once the child has ended within `limit`; false when it is still running then.
bool ended_within(pid_t pid, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    // Through syscall(): glibc 2.36's <sys/pidfd.h> declares it without C linkage for C++.
    const auto pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (pidfd >= 0) {
        pollfd watch{pidfd, POLLIN, 0};
        int ready = 0;
        do {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            ready = ::poll(&watch, 1, static_cast<int>(std::max<long long>(0, left.count())));
        } while (ready < 0 && errno == EINTR);
        ::close(pidfd);
        return ready > 0;
    }
    // A kernel without process descriptors (before Linux 5.3): asked every 20 ms.
    while (std::chrono::steady_clock::now() < deadline) {
        siginfo_t info{};
        if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
            info.si_pid == pid) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

class SpawnSetup {
  public:
    SpawnSetup(int input_fd) {
        posix_spawn_file_actions_init(&actions_);
        posix_spawn_file_actions_adddup2(&actions_, input_fd, STDIN_FILENO);
        posix_spawnattr_init(&attributes_);
        // The program holds the ending signals back and ignores SIGPIPE for all its threads;
        // the child starts as any program does. In a process group of its own, whatever it
        // starts ends with it at the limit.
        sigset_t none;
        sigemptyset(&none);
        sigset_t defaults;
        sigemptyset(&defaults);
        for (const int signal : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
            sigaddset(&defaults, signal);
        }
        posix_spawnattr_setsigmask(&attributes_, &none);
        posix_spawnattr_setsigdefault(&attributes_, &defaults);
        posix_spawnattr_setpgroup(&attributes_, 0);
        posix_spawnattr_setflags(
            &attributes_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
    }
    ~SpawnSetup() {
        posix_spawnattr_destroy(&attributes_);
        posix_spawn_file_actions_destroy(&actions_);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    const posix_spawn_file_actions_t* actions() const { return &actions_; }
    const posix_spawnattr_t* attributes() const { return &attributes_; }

  private:
    posix_spawn_file_actions_t actions_{};
    posix_spawnattr_t attributes_{};
};

}  // namespace

ChildEnd run_child_process(const std::vector<std::string>& argv,
                           const std::vector<std::pair<std::string, std::string>>& added,
                           std::string_view input, std::chrono::seconds limit) {
    ChildEnd end;
    if (argv.empty()) {
        end.why = error_text(ENOENT);
        return end;
    }
    int pipe_fds[2];
    if (::pipe2(pipe_fds, O_CLOEXEC) != 0) {
        end.why = error_text(errno);
        return end;
    }
    std::vector<std::string> arguments(argv);
    std::vector<std::string> environment = child_environment(added);
    pid_t pid = 0;
    int spawned = 0;
    {
        const SpawnSetup setup(pipe_fds[0]);
        spawned = posix_spawnp(&pid, arguments[0].c_str(), setup.actions(), setup.attributes(),
                               pointers_to(arguments).data(), pointers_to(environment).data());
    }
    ::close(pipe_fds[0]);
    if (spawned != 0) {
        ::close(pipe_fds[1]);
        end.why = error_text(spawned);
        return end;
    }
    // A child that never reads must not hold this thread past the limit: what does not fit
    // the pipe is left unwritten.
    ::fcntl(pipe_fds[1], F_SETFL, O_NONBLOCK);
    write_all(pipe_fds[1], input);
    ::close(pipe_fds[1]);

    if (!ended_within(pid, limit)) {
        ::kill(-pid, SIGKILL);
        end.how = ChildEnd::How::stopped_at_limit;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (end.how == ChildEnd::How::stopped_at_limit) {
        return end;
    }
    if (WIFSIGNALED(status)) {
        end.how = ChildEnd::How::signalled;
        end.code = WTERMSIG(status);
    } else {
        end.how = ChildEnd::How::exited;
        end.code = WEXITSTATUS(status);
    }
    return end;
}

}  // namespace stillmon
