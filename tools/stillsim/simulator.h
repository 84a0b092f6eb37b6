#pragma once

#include <cstdint>
#include <ostream>
#include <string>

namespace stillmon::stillsim {

// Faults on request, each once, or at random. Frame numbers count the frames produced,
// from 1; 0 switches a fault off.
struct FaultSettings {
    long stall_after = 0;  // after this frame, silent for stall_for_s, then on as before
    double stall_for_s = 0.0;
    long drop_byte_after = 0;      // the next frame loses its first byte: the stream shifts by one
    long hangup_after = 0;         // after this frame the terminal closes like an unplugged device
    double hangup_for_s = 0.0;     // and a new one appears behind the link this much later
    bool random = false;           // besides the above, faults of every kind at random times
    double random_every_s = 60.0;  // mean quiet time between two random faults
};

struct SimulatorSettings {
    double period_s = 0.85;
    double jitter_s = 0.05;
    std::uint32_t seed = 1;
    long count = 0;              // frames to produce, 0 for no limit
    double speed = 1.0;          // run time passes this many times faster than real time
    double skip_s = 0.0;         // run time already gone when the first frame is due
    double clock_start_s = 0.0;  // device clock, seconds of the day, at run time 0
    std::string link_path;       // empty: no link
    // One line per frame: "sent whole: HEX" once all its bytes are on the terminal, "sent
    // short: HEX" for a frame that lost a byte, "discarded: ..." when it never went out.
    bool verbose = false;
    FaultSettings faults;
};

// Plays the device until SIGINT, SIGTERM or SIGHUP arrives or `count` frames have gone
// out. The first line on `out` is the slave's path; every later line starts with the wall
// clock time and tells of a command byte received, a fault, a reader coming and going or a
// frame the reader left in the middle of.
// Returns the exit status.
int run_simulator(const SimulatorSettings& settings, std::ostream& out, std::ostream& errors);

}  // namespace stillmon::stillsim
