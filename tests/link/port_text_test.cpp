#include "link/port_text.h"

#include <string_view>

#include <gtest/gtest.h>

namespace stillmon {
namespace {

TEST(PortText, NamesThePortAndItsSettings) {
    EXPECT_EQ(make_port_text("3"), "com3:115200,N,8,1,CS0,DS0,CD0,OP0,BIN");
    const auto settings = parse_port_text(make_port_text("3"));
    ASSERT_TRUE(settings.has_value());
    EXPECT_EQ(settings->port_number, 3);
    EXPECT_EQ(settings->baud, 115200);
    EXPECT_EQ(settings->data_bits, 8);
    EXPECT_FALSE(parse_port_text("com:115200,N,8,1"));
    EXPECT_FALSE(parse_port_text("com3:fast,N,8,1"));
    EXPECT_FALSE(parse_port_text("com3:115200,X,8,1"));
    EXPECT_FALSE(parse_port_text(""));
}

TEST(PortText, DevicePathComesFromTheEnvironmentOrTheSystemsNaming) {
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
