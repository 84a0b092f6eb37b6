#include "link/port_text.h"

#include <charconv>
#include <vector>

namespace stillmon {

namespace {

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const auto end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) {
            return parts;
        }
        start = end + 1;
    }
}

std::optional<int> whole_number(std::string_view text) {
    int value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc{} || result.ptr != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

bool equals_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string make_port_text(std::string_view port_argument) {
    return "com" + std::string(port_argument) + ":115200,N,8,1,CS0,DS0,CD0,OP0,BIN";
}

std::optional<PortSettings> parse_port_text(std::string_view port_text) {
    const auto colon = port_text.find(':');
    if (colon == std::string_view::npos || colon < 4 ||
        !equals_ignoring_case(port_text.substr(0, 3), "com")) {
        return std::nullopt;
    }
    PortSettings settings;
    const auto number = whole_number(port_text.substr(3, colon - 3));
    if (!number || *number < 1) {
        return std::nullopt;
    }
    settings.port_number = *number;

    const auto items = split(port_text.substr(colon + 1), ',');
    if (items.size() < 4) {
        return std::nullopt;
    }
    const auto baud = whole_number(items[0]);
    const auto data_bits = whole_number(items[2]);
    const auto stop_bits = whole_number(items[3]);
    if (!baud || *baud <= 0 || items[1].size() != 1 || !data_bits || !stop_bits) {
        return std::nullopt;
    }
    settings.baud = *baud;
    settings.parity = items[1][0];
    settings.data_bits = *data_bits;
    settings.stop_bits = *stop_bits;
    if ((settings.parity != 'N' && settings.parity != 'E' && settings.parity != 'O') ||
        settings.data_bits < 5 || settings.data_bits > 8 || settings.stop_bits < 1 ||
        settings.stop_bits > 2) {
        return std::nullopt;
    }
    // Flow control and wait options: only "off" (0) and binary mode are supported.
    for (std::size_t i = 4; i < items.size(); ++i) {
        const std::string_view item = items[i];
        if (item == "BIN" || item == "CS0" || item == "DS0" || item == "CD0" || item == "OP0") {
            continue;
        }
        return std::nullopt;
    }
    return settings;
}

std::string_view device_naming_pattern(DeviceNaming naming) {
    return naming == DeviceNaming::com_port ? "\\\\.\\COM<N>" : "/dev/ttyACM<N-1>";
}

std::string device_path_for_port(int port_number,
                                 const std::function<const char*(const char*)>& get_environment,
                                 DeviceNaming naming) {
    const std::string variable = "STILLMON_COM" + std::to_string(port_number);
    if (const char* path = get_environment(variable.c_str()); path != nullptr && *path != '\0') {
        return path;
    }
    if (naming == DeviceNaming::com_port) {
        return "\\\\.\\COM" + std::to_string(port_number);
    }
    return "/dev/ttyACM" + std::to_string(port_number - 1);
}

}  // namespace stillmon
