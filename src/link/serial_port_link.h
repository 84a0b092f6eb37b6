#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include "base/error_lines.h"
#include "base/thread_starter.h"
#include "link/device_link.h"
#include "link/port_settings.h"

namespace stillmon {

// The device link over a serial port (USB CDC, or a pseudo-terminal in tests): 8N1 raw,
// no flow control, held exclusively. Link operations run one after another on an I/O
// thread of its own, so a close from the supervisor releases a read the cycle waits on. That
// thread is started by `start`, whose std::system_error is passed on. What the operator should
// know of the link (a device that takes no command bytes) is said once through `say`.
std::unique_ptr<DeviceLink> make_serial_port_link(
    const ThreadStarter& start = start_thread, Say say = [](std::string_view) {});

// How this system names the serial ports' devices.
DeviceNaming serial_device_naming();

}  // namespace stillmon
