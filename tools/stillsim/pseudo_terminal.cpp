#include "stillsim/pseudo_terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace stillmon::stillsim {
namespace {

std::string system_error_text(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

int open_slave(const std::string& path) {
    return ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
}

bool make_raw(int fd) {
    termios modes{};
    if (tcgetattr(fd, &modes) != 0) {
        return false;
    }
    cfmakeraw(&modes);
    modes.c_cflag |= CLOCAL | CREAD;
    modes.c_cc[VMIN] = 1;
    modes.c_cc[VTIME] = 0;
    cfsetispeed(&modes, B115200);
    cfsetospeed(&modes, B115200);
    return tcsetattr(fd, TCSANOW, &modes) == 0;
}

}  // namespace

std::optional<PseudoTerminal> PseudoTerminal::open(std::string& error) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) {
        error = system_error_text("posix_openpt");
        return std::nullopt;
    }
    std::array<char, 128> name{};
    if (grantpt(master) != 0 || unlockpt(master) != 0 ||
        ptsname_r(master, name.data(), name.size()) != 0) {
        error = system_error_text("pseudo-terminal set-up");
        ::close(master);
        return std::nullopt;
    }
    PseudoTerminal terminal(master, name.data());
    if (fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK) != 0) {
        error = system_error_text("fcntl O_NONBLOCK");
        return std::nullopt;
    }
    // Opening and closing the slave once also puts the master into its hang-up state, so
    // from here on it tells whether a reader holds the slave.
    const int slave = open_slave(terminal.slave_path_);
    if (slave < 0) {
        error = system_error_text(terminal.slave_path_.c_str());
        return std::nullopt;
    }
    const bool raw = make_raw(slave);
    if (!raw) {
        error = system_error_text("raw mode");
    }
    tcflush(slave, TCIOFLUSH);
    ::close(slave);
    if (!raw) {
        return std::nullopt;
    }
    return terminal;
}

PseudoTerminal::PseudoTerminal(int master_fd, std::string slave_path)
    : master_fd_(master_fd), slave_path_(std::move(slave_path)) {}

PseudoTerminal::PseudoTerminal(PseudoTerminal&& other) noexcept
    : master_fd_(std::exchange(other.master_fd_, -1)), slave_path_(std::move(other.slave_path_)) {}

PseudoTerminal& PseudoTerminal::operator=(PseudoTerminal&& other) noexcept {
    if (this != &other) {
        close_master();
        master_fd_ = std::exchange(other.master_fd_, -1);
        slave_path_ = std::move(other.slave_path_);
    }
    return *this;
}

PseudoTerminal::~PseudoTerminal() {
    close_master();
}

void PseudoTerminal::close_master() {
    if (master_fd_ >= 0) {
        ::close(master_fd_);
        master_fd_ = -1;
    }
}

bool PseudoTerminal::reader_attached() const {
    pollfd entry{master_fd_, 0, 0};
    return poll(&entry, 1, 0) >= 0 && (entry.revents & (POLLHUP | POLLERR | POLLNVAL)) == 0;
}

void PseudoTerminal::discard_unread_output() const {
    // The master cannot flush the slave's input queue; a short open of the slave can.
    const int slave = open_slave(slave_path_);
    if (slave >= 0) {
        tcflush(slave, TCIFLUSH);
        ::close(slave);
    }
}

std::optional<std::size_t> PseudoTerminal::write_some(std::span<const std::uint8_t> bytes) {
    for (;;) {
        const ssize_t written = ::write(master_fd_, bytes.data(), bytes.size());
        if (written >= 0) {
            return static_cast<std::size_t>(written);
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            return std::size_t{0};
        }
        return std::nullopt;
    }
}

std::vector<std::uint8_t> PseudoTerminal::read_available() {
    std::vector<std::uint8_t> received;
    std::array<std::uint8_t, 256> buffer{};
    for (;;) {
        const ssize_t count = ::read(master_fd_, buffer.data(), buffer.size());
        if (count > 0) {
            received.insert(received.end(), buffer.begin(), buffer.begin() + count);
            continue;
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        // EAGAIN: nothing more for now; EIO: the reader has gone and its bytes are all read.
        return received;
    }
}

}  // namespace stillmon::stillsim
