#include "support/pseudo_terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace stillmon::testing {

PseudoTerminal::PseudoTerminal() {
    master_fd_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_fd_ < 0 || ::grantpt(master_fd_) != 0 || ::unlockpt(master_fd_) != 0) {
        throw std::runtime_error("no pseudo-terminal");
    }
    slave_path_ = ::ptsname(master_fd_);
    // Raw on both sides: no echo of frames as fake command bytes, no CR translation.
    slave_keeper_fd_ = ::open(slave_path_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios options{};
    ::tcgetattr(slave_keeper_fd_, &options);
    ::cfmakeraw(&options);
    ::tcsetattr(slave_keeper_fd_, TCSANOW, &options);
    ::close(slave_keeper_fd_);
    slave_keeper_fd_ = -1;
}

PseudoTerminal::~PseudoTerminal() {
    hang_up();
}

void PseudoTerminal::write(const std::vector<std::uint8_t>& bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(master_fd_, bytes.data() + written, bytes.size() - written);
        if (n <= 0) {
            throw std::runtime_error("pseudo-terminal write failed");
        }
        written += static_cast<std::size_t>(n);
    }
}

std::vector<std::uint8_t> PseudoTerminal::read(std::size_t count,
                                               std::chrono::milliseconds deadline) {
    std::vector<std::uint8_t> bytes;
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (bytes.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            break;
        }
        pollfd ready{master_fd_, POLLIN, 0};
        if (::poll(&ready, 1, static_cast<int>(left.count())) <= 0) {
            continue;
        }
        std::uint8_t buffer[256];
        const ssize_t n = ::read(master_fd_, buffer, std::min(sizeof buffer, count - bytes.size()));
        if (n <= 0) {
            break;
        }
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    return bytes;
}

void PseudoTerminal::hang_up() {
    if (master_fd_ >= 0) {
        ::close(master_fd_);
        master_fd_ = -1;
    }
}

}  // namespace stillmon::testing
