#include "link/port_settings.h"

#include <string_view>

#include <gtest/gtest.h>

namespace stillmon {
namespace {

TEST(PortSettings, DevicePathComesFromTheEnvironmentOrTheSystemsNaming) {
    const auto no_variables = [](const char*) -> const char* { return nullptr; };
    EXPECT_EQ(device_path_for_port(1, no_variables, DeviceNaming::usb_acm), "/dev/ttyACM0");
    EXPECT_EQ(device_path_for_port(9, no_variables, DeviceNaming::usb_acm), "/dev/ttyACM8");
    const auto mapped = [](const char* name) -> const char* {
        return std::string_view(name) == "STILLMON_COM3" ? "/tmp/stillsim-link" : nullptr;
    };
    EXPECT_EQ(device_path_for_port(3, mapped, DeviceNaming::usb_acm), "/tmp/stillsim-link");
    EXPECT_EQ(device_path_for_port(4, mapped, DeviceNaming::usb_acm), "/dev/ttyACM3");
    EXPECT_EQ(device_path_for_port(12, no_variables, DeviceNaming::com_port), "\\\\.\\COM12");
    EXPECT_EQ(device_path_for_port(3, mapped, DeviceNaming::com_port), "/tmp/stillsim-link");
}

}  // namespace
}  // namespace stillmon
