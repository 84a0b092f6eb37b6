#include "link/serial_port_link.h"

#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <future>
#include <numeric>
#include <optional>
#include <semaphore>
#include <vector>

#include <gtest/gtest.h>

#include "link/port_settings.h"
#include "support/pseudo_terminal.h"

namespace stillmon {
namespace {

using namespace std::chrono_literals;
using test_support::open_device_terminal;
using test_support::read_from_device;

std::vector<std::uint8_t> counting_bytes(std::size_t count, std::uint8_t first) {
    std::vector<std::uint8_t> bytes(count);
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

// Points port 7 at the given device node.
void map_port_seven(const std::string& path) {
    ::setenv("STILLMON_COM7", path.c_str(), 1);
}

const PortSettings port_seven{7};

TEST(SerialPortLink, ReadsWholeFramesFromTheDevice) {
    auto device = open_device_terminal();
    map_port_seven(device.slave_path());
    auto link = make_serial_port_link();
    ASSERT_EQ(link->open(port_seven).error_number, link_error::none);

    const auto sent = counting_bytes(2 * frame_size_bytes, 1);
    ASSERT_EQ(device.write_some(sent), sent.size());
    std::array<std::uint8_t, frame_size_bytes> frame{};
    for (std::size_t f = 0; f < 2; ++f) {
        ASSERT_EQ(link->read_frame(frame, {}), frame_size_bytes);
        const auto first = sent.begin() + static_cast<std::ptrdiff_t>(f * frame_size_bytes);
        EXPECT_TRUE(std::equal(frame.begin(), frame.end(), first));
    }
}

TEST(SerialPortLink, KeepsCarriageReturnsAndSendsCommandBytes) {
    auto device = open_device_terminal();
    map_port_seven(device.slave_path());
    auto link = make_serial_port_link();
    ASSERT_EQ(link->open(port_seven).error_number, link_error::none);

    std::vector<std::uint8_t> sent(frame_size_bytes, 0x0D);
    sent[5] = 0x0A;
    ASSERT_EQ(device.write_some(sent), sent.size());
    std::array<std::uint8_t, frame_size_bytes> frame{};
    ASSERT_EQ(link->read_frame(frame, {}), frame_size_bytes);
    EXPECT_TRUE(std::equal(frame.begin(), frame.end(), sent.begin()));

    for (std::uint8_t command = 100; command <= 106; ++command) {
        link->write_command_byte(command);
    }
    EXPECT_EQ(read_from_device(device, 7, 2s), counting_bytes(7, 100));
}

TEST(SerialPortLink, OpenReportsErrorNumbers) {
    auto link = make_serial_port_link();
    map_port_seven("/nonexistent/ttyACM6");
    EXPECT_EQ(link->open(port_seven).error_number, link_error::cannot_open);
    map_port_seven("/dev/null");  // opens, but is no terminal
    EXPECT_EQ(link->open(port_seven).error_number, link_error::settings_unreadable);
}

TEST(SerialPortLink, ADeviceHeldByAnotherLinkCannotBeOpened) {
    auto device = open_device_terminal();
    map_port_seven(device.slave_path());
    auto first = make_serial_port_link();
    auto second = make_serial_port_link();
    ASSERT_EQ(first->open(port_seven).error_number, link_error::none);
    EXPECT_EQ(second->open(port_seven).error_number, link_error::cannot_open);
    first->close();
    EXPECT_EQ(second->open(port_seven).error_number, link_error::none);
}

// The reading thread sleeps as the main thread does, until the link wakes it.
TEST(SerialPortLink, AWaitingReadIsWokenByItsFrameOrReleasedByAClose) {
    auto device = open_device_terminal();
    map_port_seven(device.slave_path());
    auto link = make_serial_port_link();
    ASSERT_EQ(link->open(port_seven).error_number, link_error::none);

    std::counting_semaphore<> slept(0);
    std::counting_semaphore<> woken(0);
    const ReadWaiting waiting{[&] {
                                  slept.release();
                                  EXPECT_TRUE(woken.try_acquire_for(5s));
                              },
                              [&] { woken.release(); }};
    std::array<std::uint8_t, frame_size_bytes> frame{};
    auto read = [&] { return link->read_frame(frame, waiting); };
    auto first = std::async(std::launch::async, read);
    ASSERT_TRUE(slept.try_acquire_for(2s));
    const auto sent = counting_bytes(frame_size_bytes + 5, 1);
    ASSERT_EQ(device.write_some(sent), sent.size());
    ASSERT_EQ(first.wait_for(2s), std::future_status::ready);
    EXPECT_EQ(first.get(), frame_size_bytes);
    EXPECT_EQ(frame[0], 1);

    frame.fill(0xEE);
    auto second = std::async(std::launch::async, read);
    ASSERT_TRUE(slept.try_acquire_for(2s));  // waiting before the supervisor's close comes
    link->close();
    ASSERT_EQ(second.wait_for(2s), std::future_status::ready);
    EXPECT_EQ(second.get(), 0u);
    EXPECT_EQ(frame[0], 0xEE);
}

TEST(SerialPortLink, ReadsOnAClosedOrUnpluggedLinkReturnAtOnce) {
    auto link = make_serial_port_link();
    std::array<std::uint8_t, frame_size_bytes> frame{};
    EXPECT_EQ(link->read_frame(frame, {}), 0u);  // never opened

    std::optional<test_support::DeviceTerminal> device = open_device_terminal();
    map_port_seven(device->slave_path());
    ASSERT_EQ(link->open(port_seven).error_number, link_error::none);
    device.reset();  // the device is unplugged
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(link->read_frame(frame, {}), 0u);
    EXPECT_EQ(link->read_frame(frame, {}), 0u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    link->write_command_byte(100);  // lost without harm
}

TEST(SerialPortLink, ReopenReadsFromTheFirstByteAfterTheOpen) {
    auto device = open_device_terminal();
    map_port_seven(device.slave_path());
    auto link = make_serial_port_link();
    ASSERT_EQ(link->open(port_seven).error_number, link_error::none);
    ASSERT_EQ(link->open(port_seven).error_number, link_error::none);  // an open link is re-opened
    link->close();
    link->close();  // closing a closed link does nothing
    ASSERT_EQ(link->open(port_seven).error_number, link_error::none);
    const auto sent = counting_bytes(frame_size_bytes, 40);
    ASSERT_EQ(device.write_some(sent), sent.size());
    std::array<std::uint8_t, frame_size_bytes> frame{};
    ASSERT_EQ(link->read_frame(frame, {}), frame_size_bytes);
    EXPECT_EQ(frame[0], 40);
}

}  // namespace
}  // namespace stillmon
