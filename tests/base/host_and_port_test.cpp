#include "base/host_and_port.h"

#include <gtest/gtest.h>

namespace stillmon {
namespace {

TEST(HostAndPort, ReadsOneRuleForEveryAddress) {
    const std::pair<std::string_view, HostAndPort> read[] = {
        {"still.example", {"still.example", std::nullopt}},
        {"north_still-2:080", {"north_still-2", 80}},
        {"192.168.1.20:65535", {"192.168.1.20", 65535}},
        {"[::1]:1883", {"::1", 1883}},
        {"[fe80::1%eth0]", {"fe80::1%eth0", std::nullopt}}};
    for (const auto& [text, expected] : read) {
        EXPECT_EQ(read_host_and_port(text, PortZero::refused), expected) << text;
    }
    EXPECT_EQ(read_host_and_port("[::]:0", PortZero::any_free_port)->port, 0);
    // A colon without its port, a port out of range or not in digits; no host, a host that no
    // resolver takes, an IPv6 address without its brackets (its colons taken for the port's).
    for (const char* bad : {"host:0",     "host:",
                            "host:65536", "host:-1",
                            "host:+80",   "host: 80",
                            "host:8o",    "",
                            ":80",        "[]:80",
                            "my host:80", "a]:80",
                            "user@host",  "[still.example]:80",
                            "[fe80::1%]", "::1",
                            "fe80::1",    "::1:80",
                            "[::1",       "[::1]80"}) {
        EXPECT_FALSE(read_host_and_port(bad, PortZero::refused)) << bad;
    }
}

}  // namespace
}  // namespace stillmon
