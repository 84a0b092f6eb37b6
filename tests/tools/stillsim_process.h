#pragma once

#include <sys/types.h>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "support/deadline.h"

namespace stillmon::test_support {

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

}  // namespace stillmon::test_support
