#pragma once

#include <cstddef>

#include <asio/serial_port.hpp>

#include "link/device_link.h"
#include "link/port_settings.h"
#include "link/serial_port_link.h"

namespace stillmon {

// The operating system's side of the serial link: finding the port's device, holding it
// exclusively and setting its line up raw, without flow control. One file per system.

// Opens the device of the given port into `port` (closed on entry) and sets it up.
OpenResult open_serial_device(asio::serial_port& port, const PortSettings& settings);

// Closes the device, so that other programs may open it again. Bytes not yet sent are
// dropped first: a device that takes nothing must not hold the close.
void close_serial_device(asio::serial_port& port);

// How many received bytes wait in the system to be read from the open port.
std::size_t bytes_waiting(asio::serial_port& port);

}  // namespace stillmon
