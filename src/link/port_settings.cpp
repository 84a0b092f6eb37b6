#include "link/port_settings.h"

namespace stillmon {

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
