#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace stillmon::stillsim {

// The device end of a pseudo-terminal: stillsim holds the master, the reader (stillmon)
// opens the slave path as its serial port.
//
// Linux keeps what the master writes in the slave's input queue whether or not anyone has
// the slave open, and keeps it across a close and re-open of the slave. A USB CDC device
// that nobody reads loses its data instead, and the reader relies on that: it counts frame
// boundaries from the first byte after its open. So the simulator writes only while a
// reader is attached and throws the unread rest away when the reader leaves.
class PseudoTerminal {
  public:
    // Opens a new pair with the slave already in raw mode at 115200 baud (no echo, no line
    // editing, no CR/LF translation), so nothing written before the reader sets its own
    // modes comes back or changes. nullopt with `error` set when the system refuses.
    static std::optional<PseudoTerminal> open(std::string& error);

    PseudoTerminal(PseudoTerminal&& other) noexcept;
    PseudoTerminal& operator=(PseudoTerminal&& other) noexcept;
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;
    ~PseudoTerminal();

    const std::string& slave_path() const { return slave_path_; }
    int master_fd() const { return master_fd_; }

    // True while some process holds the slave open (the master reports no hang-up).
    bool reader_attached() const;

    // Drops whatever the master wrote that no reader took, so a later reader starts on
    // fresh data.
    void discard_unread_output() const;

    // Writes without blocking; returns how many bytes went out (0 when the queue is full)
    // or nullopt when the terminal refuses them.
    std::optional<std::size_t> write_some(std::span<const std::uint8_t> bytes);

    // Takes every byte the reader has written so far, without blocking.
    std::vector<std::uint8_t> read_available();

  private:
    PseudoTerminal(int master_fd, std::string slave_path);
    void close_master();

    int master_fd_ = -1;
    std::string slave_path_;
};

}  // namespace stillmon::stillsim
