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

// The device node of serial port N: the path in STILLMON_COM<N> when that variable is set,
// else /dev/ttyACM<N-1> (USB CDC devices are numbered from 0).
std::string device_path_for_port(int port_number,
                                 const std::function<const char*(const char*)>& get_environment);

}  // namespace stillmon
