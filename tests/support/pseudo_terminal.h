#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/telemetry_frame.h"
#include "stillsim/pseudo_terminal.h"
#include "support/deadline.h"

namespace stillmon::test_support {

// Both ends of a pseudo-terminal for tests. The device end is the simulator's own: raw at
// 115200 baud, the master never blocking, what it writes kept for whoever opens the slave.
using DeviceTerminal = stillsim::PseudoTerminal;

// A new device end; throws when the system has no pseudo-terminal to give.
DeviceTerminal open_device_terminal();

// What the reader end has written to the device, waiting up to `timeout` for `count` bytes;
// fewer when they do not come in time or no reader holds the terminal.
std::vector<std::uint8_t> read_from_device(DeviceTerminal& device, std::size_t count,
                                           std::chrono::milliseconds timeout);

// The reader's end: the slave opened by path as stillmon opens its port (not blocking), in
// raw mode unless asked not to be.
class TerminalReader {
  public:
    enum class Ending { complete, timed_out, end_of_file, error };
    struct Reading {
        std::vector<std::uint8_t> bytes;
        Ending ending = Ending::timed_out;
        int error_number = 0;
        TestClock::time_point completed_at{};
    };

    explicit TerminalReader(const std::string& path, bool set_raw_mode = true);
    ~TerminalReader();
    TerminalReader(const TerminalReader&) = delete;
    TerminalReader& operator=(const TerminalReader&) = delete;

    bool is_open() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    // Reads until exactly `count` bytes are in, the timeout passes or the terminal ends.
    Reading read_bytes(std::size_t count, std::chrono::milliseconds timeout);
    // One whole frame as `store_frame_bytes` takes it; nullopt when it did not come in time.
    std::optional<TelemetryFrame> read_frame(std::chrono::milliseconds timeout,
                                             TestClock::time_point* arrived_at = nullptr);
    bool write_byte(std::uint8_t byte);
    void close();

  private:
    int fd_ = -1;
};

}  // namespace stillmon::test_support
