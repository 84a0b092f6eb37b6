#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace stillmon {

// The values one cycle shows a reader outside the window (the live page, /metrics, a report of
// a saved run), in plain units. Built once per cycle, live or replayed, by make_cycle_record
// (process/cycle_record_builder.h); copied as a whole into the page's history.
struct CycleRecord {
    static constexpr int temperature_count = 8;

    std::uint16_t record_number = 0;
    std::string device_time;  // as logged: "HH:MM:SS_n"
    double interval_s = 0.0;  // since the previous frame (live), or as logged (replay)
    std::array<float, temperature_count> temperatures_c{};  // channels 0-7, degrees Celsius
    float proof = 0.0f;                                     // the proof value written to the log
    float liquid_strength = 0.0f;  // % by volume, from the tank temperature; 0: no result
    float vapour_strength = 0.0f;  // % by volume, from the steam temperature; 0: no result
    // Stage counts, only when the strengths passed their test this cycle.
    bool has_stages = false;
    int whole_stages = 0;
    float stages = 0.0f;
    float valve = 0.0f;  // averaged valve opening, as charted
    float flow = 0.0f;   // averaged flow, as charted
    // The reflux ratio, only in a cycle that ended a ratio period with a result.
    bool has_reflux_ratio = false;
    float reflux_ratio = 0.0f;
    int timing_errors = 0;  // frames in a row outside the expected interval (live), as shown
};

}  // namespace stillmon
