#pragma once

#include <sys/types.h>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/telemetry_frame.h"

namespace stillmon::testing {

using TestClock = std::chrono::steady_clock;

// A running build/stillsim with its standard output on a pipe. Stopped (SIGTERM, then
// SIGKILL) and reaped on every path out of a test.
class SimulatorProcess {
  public:
    explicit SimulatorProcess(const std::vector<std::string>& arguments);
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    // The next line of output, or nullopt when none came within `timeout` or the output ended.
    std::optional<std::string> next_line(std::chrono::milliseconds timeout);
    // Reads lines until one contains `text`; nullopt when the timeout passes first.
    std::optional<std::string> wait_for_line(const std::string& text,
                                             std::chrono::milliseconds timeout);
    // Every line read so far.
    const std::vector<std::string>& lines() const { return lines_; }

    void send_signal(int signal_number) const;
    // The exit status once the process has ended by itself within `timeout`.
    std::optional<int> wait_for_exit(std::chrono::milliseconds timeout);

  private:
    void stop();

    pid_t pid_ = -1;
    int output_fd_ = -1;
    std::string buffered_;
    std::vector<std::string> lines_;
};

// The reader's end: the link opened as stillmon opens its port, in raw mode unless asked not
// to be.
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

}  // namespace stillmon::testing
