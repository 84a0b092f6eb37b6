#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "link/serial_device.h"

namespace stillmon {

namespace {

speed_t speed_for_baud(int baud) {
    switch (baud) {
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        case 230400:
            return B230400;
        default:
            return B0;
    }
}

// Opens and configures the device; returns the descriptor or how opening failed.
struct OpenedDevice {
    int fd = -1;
    OpenResult result;
};

OpenedDevice failed(int fd, int error_number, const std::string& path, std::string failure) {
    if (fd >= 0) {
        ::ioctl(fd, TIOCNXCL);
        ::close(fd);
    }
    return {-1, {error_number, path, std::move(failure), false, {}, {}}};
}

// Debian gives serial devices to the group dialout, but a device may belong to another group,
// or be open to its owner alone.
void name_who_may_open(const std::string& path, OpenResult& refused) {
    struct stat device {};
    if (::stat(path.c_str(), &device) != 0) {
        return;
    }
    std::vector<char> buffer(16384);
    if ((device.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP)) {
        group group_entry{};
        group* found = nullptr;
        if (::getgrgid_r(device.st_gid, &group_entry, buffer.data(), buffer.size(), &found) == 0 &&
            found != nullptr) {
            refused.access_group = found->gr_name;
            return;
        }
    }
    passwd user_entry{};
    passwd* found = nullptr;
    refused.owner =
        ::getpwuid_r(device.st_uid, &user_entry, buffer.data(), buffer.size(), &found) == 0 &&
                found != nullptr
            ? found->pw_name
            : std::to_string(device.st_uid);
}

std::string system_reason() {
    return std::system_category().message(errno);
}

OpenedDevice open_device(const PortSettings& settings) {
    const std::string path =
        device_path_for_port(settings.port_number, std::getenv, serial_device_naming());
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        OpenResult refused{link_error::cannot_open, path, system_reason(), false, {}, {}};
        if (errno == EACCES || errno == EPERM) {
            refused.denied = true;
            name_who_may_open(path, refused);
        }
        return {-1, refused};
    }
    // The advisory lock holds against every other program that asks, root included;
    // TIOCEXCL also keeps out programs that do not ask.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return failed(-1, link_error::cannot_open, path, "another program holds it");
    }
    ::ioctl(fd, TIOCEXCL);

    termios options{};
    if (::tcgetattr(fd, &options) != 0) {
        return failed(fd, link_error::settings_unreadable, path, system_reason());
    }
    const speed_t speed = speed_for_baud(settings.baud);
    ::cfmakeraw(&options);
    options.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS | HUPCL);
    options.c_cflag |= CLOCAL | CREAD;
    switch (settings.data_bits) {
        case 5:
            options.c_cflag |= CS5;
            break;
        case 6:
            options.c_cflag |= CS6;
            break;
        case 7:
            options.c_cflag |= CS7;
            break;
        default:
            options.c_cflag |= CS8;
            break;
    }
    if (settings.parity != 'N') {
        options.c_cflag |= PARENB;
        if (settings.parity == 'O') {
            options.c_cflag |= PARODD;
        }
    }
    if (settings.stop_bits == 2) {
        options.c_cflag |= CSTOPB;
    }
    options.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    options.c_cc[VMIN] = 1;
    options.c_cc[VTIME] = 0;
    if (speed == B0) {
        return failed(fd, link_error::settings_rejected, path, "the baud rate is not supported");
    }
    if (::cfsetispeed(&options, speed) != 0 || ::cfsetospeed(&options, speed) != 0 ||
        ::tcsetattr(fd, TCSANOW, &options) != 0) {
        return failed(fd, link_error::settings_rejected, path, system_reason());
    }
    int dtr = TIOCM_DTR;
    ::ioctl(fd, TIOCMBIS, &dtr);  // a pseudo-terminal has no modem lines; that is fine
    return {fd, {}};
}

}  // namespace

DeviceNaming serial_device_naming() {
    return DeviceNaming::usb_acm;
}

OpenResult open_serial_device(asio::serial_port& port, const PortSettings& settings) {
    OpenedDevice device = open_device(settings);
    if (device.fd < 0) {
        return std::move(device.result);
    }
    asio::error_code assign_error;
    port.assign(device.fd, assign_error);
    if (assign_error) {
        const std::string path =
            device_path_for_port(settings.port_number, std::getenv, serial_device_naming());
        return failed(device.fd, link_error::settings_rejected, path, assign_error.message())
            .result;
    }
    return {};
}

void close_serial_device(asio::serial_port& port) {
    // A USB serial device's close waits up to half a minute for unsent bytes to drain.
    ::tcflush(port.native_handle(), TCOFLUSH);
    ::ioctl(port.native_handle(), TIOCNXCL);
    asio::error_code ignored;
    port.close(ignored);
}

std::size_t bytes_waiting(asio::serial_port& port) {
    int count = 0;
    if (::ioctl(port.native_handle(), FIONREAD, &count) != 0 || count < 0) {
        return 0;
    }
    return static_cast<std::size_t>(count);
}

}  // namespace stillmon
