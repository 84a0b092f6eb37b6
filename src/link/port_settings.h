#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace stillmon {

// The serial line the device speaks: 115 200 baud, no parity, 8 data bits, 1 stop bit, raw
// bytes, no flow control and no waiting for modem lines. Only the port is chosen, by the
// digit on the command line.
struct PortSettings {
    int port_number = 0;  // serial port N, 1 to 9
    int baud = 115200;
    char parity = 'N';  // N, E, O
    int data_bits = 8;
    int stop_bits = 1;
};

// How a system names the device of serial port N: Linux numbers USB CDC devices from 0 as
// /dev/ttyACM<N-1>; Windows shows them as COM ports, \\.\COM<N> (a form that reaches COM10
// and above too).
enum class DeviceNaming { usb_acm, com_port };

// The naming in a form for the usage text: "/dev/ttyACM<N-1>" or "\\.\COM<N>".
std::string_view device_naming_pattern(DeviceNaming naming);

// The device of serial port N: the path in STILLMON_COM<N> when that variable is set, else
// the system's own name for it.
std::string device_path_for_port(int port_number,
                                 const std::function<const char*(const char*)>& get_environment,
                                 DeviceNaming naming);

}  // namespace stillmon
