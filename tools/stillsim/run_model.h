#pragma once

#include <cstdint>
#include <random>
#include <string>

#include "base/telemetry_frame.h"

namespace stillmon::stillsim {

// Command bytes the simulated device understands. What a device does with them is its own
// business; this one makes each of them visible in the frames that follow.
namespace command {
inline constexpr std::uint8_t valve_down = 100;    // take-off valve one step more closed
inline constexpr std::uint8_t valve_up = 101;      // take-off valve one step more open
inline constexpr std::uint8_t target_down = 102;   // target temperature one step lower
inline constexpr std::uint8_t target_up = 103;     // target temperature one step higher
inline constexpr std::uint8_t volume_reset = 104;  // volume counter back to zero
inline constexpr std::uint8_t heating_off = 105;
inline constexpr std::uint8_t heating_on = 106;
}  // namespace command

inline constexpr int valve_step = 16;         // of 0..255
inline constexpr double target_step_c = 0.5;  // eight sixteenths
inline constexpr double target_low_c = 10.0;  // the target stays inside its chart range
inline constexpr double target_high_c = 100.0;
inline constexpr double volume_limit_l = 3.99;  // the counter stops below the chart's top
inline constexpr double end_of_run_steam_c = 94.0;

struct RunSettings {
    double clock_start_s = 12.0 * 3600.0;  // device clock, seconds of the day, at run time 0
    std::uint32_t seed = 1;                // measurement noise and the valve's low byte
};

// The simulated still: a pot of wash under a packed column with a dephlegmator (TopHE)
// whose cooling water a controller adjusts to hold it at the target temperature, two
// further exchangers (Centr, BotHE) on the same water, and a take-off valve that sets the
// product flow. Temperatures in degrees Celsius, percentages 0..100.
struct ColumnState {
    double run_time_s = 0.0;
    bool heating = true;
    bool run_finished = false;  // the device switched the heating off at the end of the run
    double alcohol_left = 1.0;  // share of the wash's alcohol still in the pot
    double tank_c = 70.0;
    double first_stage_c = 22.0;
    double second_stage_c = 22.0;
    double steam_c = 22.0;
    double top_exchanger_c = 14.0;
    double centre_c = 14.0;
    double bottom_exchanger_c = 14.0;
    double out_water_c = 14.0;
    double proportional_pct = 0.0;  // controller terms: 50 means "no contribution"
    double integral_pct = 0.0;
    double derivative_pct = 50.0;
    double cooling_pct = 0.0;  // controller output: the dephlegmator's water valve
    double flow_l_per_h = 0.0;
    double volume_l = 0.0;
    int valve = 96;  // take-off valve opening, 0..255
    double target_c = 50.0;
};

struct CommandReaction {
    bool understood = false;
    std::string text;  // what changed, for the simulator's report ("valve 96 -> 112")
};

// Pure run model: no clock, no terminal. The caller moves it forward in run time, hands
// it command bytes and takes one frame per period.
class RunModel {
  public:
    explicit RunModel(const RunSettings& settings);

    // Integrates the physics up to `run_time_s` in steps of at most one second, so the
    // run does not depend on how often frames are taken. Earlier times are ignored.
    void advance_to(double run_time_s);

    CommandReaction apply_command(std::uint8_t byte);

    // The frame for the present state, with the next record number and the device clock.
    TelemetryFrame next_frame();

    const ColumnState& state() const { return state_; }

  private:
    void step(double dt_s);

    RunSettings settings_;
    ColumnState state_;
    std::uint16_t record_number_ = 0;
    std::mt19937 noise_;
};

}  // namespace stillmon::stillsim
