#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace stillmon::testing {

// A raw pseudo-terminal whose master side the test holds; the slave path plays a serial
// device node.
class PseudoTerminal {
  public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& slave_path() const { return slave_path_; }
    void write(const std::vector<std::uint8_t>& bytes);
    // Reads what arrives at the master until count bytes are there or the deadline passes.
    std::vector<std::uint8_t> read(std::size_t count, std::chrono::milliseconds deadline);
    // Closes the master side, as an unplugged device does.
    void hang_up();

  private:
    int master_fd_ = -1;
    int slave_keeper_fd_ = -1;
    std::string slave_path_;
};

}  // namespace stillmon::testing
