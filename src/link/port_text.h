#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace stillmon {

// "com" + port digit + ":115200,N,8,1,CS0,DS0,CD0,OP0,BIN" as start-up forms it.
std::string make_port_text(std::string_view port_argument);

struct PortSettings {
    int port_number = 0;  // the N of "comN"
    int baud = 0;
    char parity = 'N';  // N, E, O
    int data_bits = 8;
    int stop_bits = 1;
};

// Parses the port text; nullopt when the text cannot be parsed or names a setting
// the link cannot apply.
std::optional<PortSettings> parse_port_text(std::string_view port_text);

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
