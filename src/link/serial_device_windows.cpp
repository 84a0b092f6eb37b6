// Asio's Winsock headers must come before windows.h.
#include "link/serial_device.h"

#include <windows.h>

#include <cstdlib>
#include <string>
#include <system_error>
#include <utility>

namespace stillmon {

namespace {

bool set_up_line(HANDLE handle, const PortSettings& settings) {
    DCB line{};
    line.DCBlength = sizeof(line);
    if (!GetCommState(handle, &line)) {
        return false;
    }
    line.BaudRate = static_cast<DWORD>(settings.baud);
    line.ByteSize = static_cast<BYTE>(settings.data_bits);
    line.Parity = settings.parity == 'E'   ? EVENPARITY
                  : settings.parity == 'O' ? ODDPARITY
                                           : NOPARITY;
    line.StopBits = settings.stop_bits == 2 ? TWOSTOPBITS : ONESTOPBIT;
    line.fBinary = TRUE;
    line.fParity = settings.parity != 'N';
    // No flow control of either kind; DTR on, as a USB CDC device may wait for it.
    line.fOutxCtsFlow = FALSE;
    line.fOutxDsrFlow = FALSE;
    line.fDtrControl = DTR_CONTROL_ENABLE;
    line.fDsrSensitivity = FALSE;
    line.fOutX = FALSE;
    line.fInX = FALSE;
    line.fRtsControl = RTS_CONTROL_ENABLE;
    line.fAbortOnError = FALSE;
    return SetCommState(handle, &line) != 0;
}

std::string system_reason() {
    return std::system_category().message(static_cast<int>(GetLastError()));
}

OpenResult failed(HANDLE handle, int error_number, const std::string& path, std::string failure) {
    CloseHandle(handle);
    return {error_number, path, std::move(failure), false, {}, {}};
}

}  // namespace

DeviceNaming serial_device_naming() {
    return DeviceNaming::com_port;
}

OpenResult open_serial_device(asio::serial_port& port, const PortSettings& settings) {
    const std::string path =
        device_path_for_port(settings.port_number, std::getenv, serial_device_naming());
    // No sharing: while this handle is open no other program opens the port. Overlapped, as
    // Asio reads and writes it.
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        // Access is refused to a port another program holds: its reason says so, and no
        // group would let this user in.
        return {link_error::cannot_open, path, system_reason(), false, {}, {}};
    }
    DCB current{};
    current.DCBlength = sizeof(current);
    if (!GetCommState(handle, &current)) {
        return failed(handle, link_error::settings_unreadable, path, system_reason());
    }
    // A read returns as soon as bytes are there and waits without limit for the first one.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
    timeouts.ReadTotalTimeoutConstant = MAXDWORD - 1;
    if (!set_up_line(handle, settings) || !SetCommTimeouts(handle, &timeouts)) {
        return failed(handle, link_error::settings_rejected, path, system_reason());
    }
    asio::error_code assign_error;
    port.assign(handle, assign_error);
    if (assign_error) {
        return failed(handle, link_error::settings_rejected, path, assign_error.message());
    }
    return {};
}

void close_serial_device(asio::serial_port& port) {
    // Closing the handle cancels a pending read, which releases the reader; bytes a device
    // would not take are dropped first, so they cannot hold the close.
    PurgeComm(port.native_handle(), PURGE_TXABORT | PURGE_TXCLEAR);
    asio::error_code ignored;
    port.close(ignored);
}

std::size_t bytes_waiting(asio::serial_port& port) {
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(port.native_handle(), &errors, &status)) {
        return 0;
    }
    return status.cbInQue;
}

}  // namespace stillmon
