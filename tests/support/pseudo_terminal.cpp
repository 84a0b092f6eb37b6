#include "support/pseudo_terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <stdexcept>
#include <utility>

namespace stillmon::test_support {

DeviceTerminal open_device_terminal() {
    std::string error;
    auto device = DeviceTerminal::open(error);
    if (!device) {
        throw std::runtime_error("no pseudo-terminal: " + error);
    }
    return std::move(*device);
}

std::vector<std::uint8_t> read_from_device(DeviceTerminal& device, std::size_t count,
                                           std::chrono::milliseconds timeout) {
    const auto deadline = TestClock::now() + timeout;
    std::vector<std::uint8_t> bytes;
    while (bytes.size() < count) {
        pollfd entry{device.master_fd(), POLLIN, 0};
        if (poll(&entry, 1, milliseconds_left(deadline)) <= 0 || (entry.revents & POLLIN) == 0) {
            break;
        }
        const auto more = device.read_available();
        bytes.insert(bytes.end(), more.begin(), more.end());
    }
    return bytes;
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

}  // namespace stillmon::test_support
