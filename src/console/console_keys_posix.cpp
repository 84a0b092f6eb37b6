#include "console/console_keys.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <utility>

#include "console/console_key_decoder.h"

namespace stillmon {

namespace {

// The terminal's mode before the reader changed it. The process may end through exit() from
// any thread, or through a signal, without the reader's destructor, and the operator's
// shell must not be left without echo: so this one record lives where an exit handler and a
// signal handler can reach it. Written only before the reader's thread starts.
struct SavedConsoleMode {
    std::atomic<bool> saved{false};
    int fd = -1;
    termios mode{};
};

SavedConsoleMode& saved_console_mode() {
    static SavedConsoleMode saved;
    return saved;
}

extern "C" void restore_console_mode_at_exit() {
    restore_console_mode();
}

constexpr int full_queue_look_ms = 100;

// Reading the controlling terminal from a background job would stop the whole program.
// (A terminal that is not the controlling one has no foreground job at all.)
bool is_background_terminal(int fd) {
    const pid_t foreground = tcgetpgrp(fd);
    return foreground != -1 && foreground != getpgrp();
}

// Key by key and without echo; signals from the keyboard (Ctrl+C) still work, and output
// processing stays as it was, so lines printed meanwhile still end properly.
void switch_to_key_input(int fd) {
    termios mode{};
    if (tcgetattr(fd, &mode) != 0) {
        return;
    }
    SavedConsoleMode& saved = saved_console_mode();
    if (!saved.saved.load()) {
        saved.fd = fd;
        saved.mode = mode;
        saved.saved.store(true);
        static const int registered = std::atexit(restore_console_mode_at_exit);
        static_cast<void>(registered);
    }
    mode.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    mode.c_lflag |= ISIG;
    mode.c_cc[VMIN] = 1;
    mode.c_cc[VTIME] = 0;
    tcsetattr(fd, TCSANOW, &mode);
}

// The POSIX reader: a thread polls the descriptor and a pipe that wakes it to end.
class ConsoleKeyReader final : public ConsoleKeys {
  public:
    ConsoleKeyReader(KeyQueue& keys, int fd, const ThreadStarter& start,
                     std::function<void()> wake);
    ~ConsoleKeyReader() override;

    ConsoleKeyReader(const ConsoleKeyReader&) = delete;
    ConsoleKeyReader& operator=(const ConsoleKeyReader&) = delete;

    bool ended() const override;
    bool wait_until_ended(Clock::time_point deadline) const override;

  private:
    void read_until_end();
    void mark_ended();
    void wake_reader() const;

    KeyQueue& keys_;
    int fd_;
    std::function<void()> wake_;
    int wake_read_fd_ = -1;
    int wake_write_fd_ = -1;
    mutable std::mutex mutex_;
    mutable std::condition_variable ended_changed_;
    bool ended_ = false;
    std::thread thread_;
};

}  // namespace

void restore_console_mode() noexcept {
    SavedConsoleMode& saved = saved_console_mode();
    if (saved.saved.exchange(false)) {
        tcsetattr(saved.fd, TCSANOW, &saved.mode);
    }
}

ConsoleKeyReader::ConsoleKeyReader(KeyQueue& keys, int fd, const ThreadStarter& start,
                                   std::function<void()> wake_reader)
    : keys_(keys), fd_(fd), wake_(std::move(wake_reader)) {
    const bool terminal = isatty(fd) == 1;
    if (terminal && is_background_terminal(fd)) {
        ended_ = true;
        return;
    }
    std::array<int, 2> wake{-1, -1};
    if (pipe2(wake.data(), O_CLOEXEC) != 0) {
        ended_ = true;
        return;
    }
    wake_read_fd_ = wake[0];
    wake_write_fd_ = wake[1];
    if (terminal) {
        switch_to_key_input(fd);
    }
    thread_ = start([this] { read_until_end(); });
}

ConsoleKeyReader::~ConsoleKeyReader() {
    if (thread_.joinable()) {
        const char stop = 's';
        while (write(wake_write_fd_, &stop, 1) < 0 && errno == EINTR) {
        }
        thread_.join();
    }
    if (wake_read_fd_ >= 0) {
        close(wake_read_fd_);
        close(wake_write_fd_);
    }
    restore_console_mode();
}

bool ConsoleKeyReader::ended() const {
    std::lock_guard lock(mutex_);
    return ended_;
}

bool ConsoleKeyReader::wait_until_ended(Clock::time_point deadline) const {
    std::unique_lock lock(mutex_);
    return ended_changed_.wait_until(lock, deadline, [this] { return ended_; });
}

void ConsoleKeyReader::mark_ended() {
    {
        std::lock_guard lock(mutex_);
        ended_ = true;
    }
    ended_changed_.notify_all();
    wake_reader();
}

void ConsoleKeyReader::wake_reader() const {
    if (wake_) {
        wake_();
    }
}

void ConsoleKeyReader::read_until_end() {
    ConsoleKeyDecoder decoder;
    std::array<char, 256> buffer{};
    for (;;) {
        // While the queue is full the console is left unread, so a program piped in waits on
        // its pipe instead of having its keys read and dropped as fast as it writes them; it
        // is looked at again ten times a second, which is as fast as keys are carried out.
        const std::size_t room = std::min(keys_.room(), buffer.size());
        std::array<pollfd, 2> watched{
            {{room > 0 ? fd_ : -1, POLLIN, 0}, {wake_read_fd_, POLLIN, 0}}};
        // Wait without limit, except for the rest of an escape sequence.
        int timeout_ms = decoder.pending() ? ConsoleKeyDecoder::escape_timeout_ms : -1;
        if (room == 0 && timeout_ms < 0) {
            timeout_ms = full_queue_look_ms;
        }
        const int ready = poll(watched.data(), watched.size(), timeout_ms);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if (watched[1].revents != 0) {
            break;  // asked to stop
        }
        if (ready == 0) {
            for (auto& key : decoder.timeout()) {
                keys_.push(std::move(key));
            }
            wake_reader();
            continue;
        }
        const ssize_t count = read(fd_, buffer.data(), room);
        if (count < 0) {
            if (errno == EINTR || errno == EAGAIN) {
                continue;
            }
            break;
        }
        if (count == 0) {
            break;  // end of input
        }
        for (ssize_t i = 0; i < count; ++i) {
            for (auto& key : decoder.feed(buffer[static_cast<std::size_t>(i)])) {
                keys_.push(std::move(key));
            }
        }
        wake_reader();
    }
    for (auto& key : decoder.timeout()) {
        keys_.push(std::move(key));
    }
    mark_ended();
}

std::unique_ptr<ConsoleKeys> start_console_keys(KeyQueue& keys, int fd, const ThreadStarter& start,
                                                std::function<void()> wake) {
    return std::make_unique<ConsoleKeyReader>(keys, fd, start, std::move(wake));
}

}  // namespace stillmon
