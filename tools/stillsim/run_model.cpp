#include "stillsim/run_model.h"

#include <algorithm>
#include <cmath>

#include "base/numbers.h"
#include "stillsim/frame_stamp.h"

namespace stillmon::stillsim {
namespace {

// A 20-litre charge of wash at about 8 % heated with a little over 2 kW.
struct StillConstants {
    double ambient_c;
    double cooling_water_c;
    double alcohol_in_wash_l;
    double heating_rate_c_per_s;   // pot below its boiling point, heating on
    double pot_cooling_time_s;     // pot towards ambient, heating off
    double boiling_fresh_c;        // boiling point of the fresh wash
    double boiling_spent_c;        // boiling point once the alcohol is gone
    double column_follow_time_s;   // column temperatures while vapour rises
    double column_cooling_time_s;  // column temperatures without vapour
    double exchanger_follow_time_s;
    double flow_follow_time_s;
    double largest_flow_l_per_h;  // valve fully open, column running
    double proportional_gain;     // percent per degree
    double integral_gain;         // percent per degree and second
    double derivative_gain;       // percent per degree per second
};

inline constexpr StillConstants still{
    .ambient_c = 22.0,
    .cooling_water_c = 14.0,
    .alcohol_in_wash_l = 1.6,
    .heating_rate_c_per_s = 0.02,
    .pot_cooling_time_s = 7200.0,
    .boiling_fresh_c = 90.0,
    .boiling_spent_c = 99.0,
    .column_follow_time_s = 90.0,
    .column_cooling_time_s = 900.0,
    .exchanger_follow_time_s = 60.0,
    .flow_follow_time_s = 30.0,
    .largest_flow_l_per_h = 1.8,
    .proportional_gain = 4.0,
    .integral_gain = 0.02,
    .derivative_gain = 100.0,
};

double follow(double value, double towards, double time_constant_s, double dt_s) {
    return value + (towards - value) * std::min(1.0, dt_s / time_constant_s);
}

double percent(double value) {
    return std::clamp(value, 0.0, 100.0);
}

double boiling_point_c(double alcohol_left) {
    return still.boiling_spent_c - (still.boiling_spent_c - still.boiling_fresh_c) * alcohol_left;
}

// Head of a running column: 78.3 °C with the wash fresh, 80 °C when most alcohol is out,
// then rising steeply as the tails come over.
double column_head_c(double alcohol_left) {
    const double hearts = std::clamp((1.0 - alcohol_left) / 0.7, 0.0, 1.0);
    const double tails = std::clamp((0.3 - alcohol_left) / 0.3, 0.0, 1.0);
    return 78.3 + 1.7 * hearts + 17.0 * tails * tails;
}

// Share of alcohol in the product at a given head temperature.
double product_strength(double steam_c) {
    return std::clamp(0.95 - 0.05 * (steam_c - 78.3), 0.02, 0.95);
}

std::int16_t raw_value(double display_value, int divisor, int noise) {
    return static_cast<std::int16_t>(std::lround(display_value * divisor) + noise);
}

std::string temperature_text(double c) {
    return format_number(c, "0.0");
}

}  // namespace

RunModel::RunModel(const RunSettings& settings) : settings_(settings), noise_(settings.seed) {}

void RunModel::advance_to(double run_time_s) {
    while (state_.run_time_s < run_time_s) {
        const double dt_s = std::min(1.0, run_time_s - state_.run_time_s);
        step(dt_s);
        state_.run_time_s += dt_s;
    }
}

void RunModel::step(double dt_s) {
    ColumnState& s = state_;

    // The controller acts on what it measured before this step.
    const double error_c = s.top_exchanger_c - s.target_c;
    s.cooling_pct =
        percent((s.proportional_pct - 50.0) + s.integral_pct + (s.derivative_pct - 50.0));

    const double boiling_c = boiling_point_c(s.alcohol_left);
    if (s.heating) {
        s.tank_c = std::min(boiling_c, s.tank_c + still.heating_rate_c_per_s * dt_s);
        // Once boiling the pot follows the boiling point upwards as the alcohol leaves.
        if (s.tank_c >= boiling_c - 0.05) {
            s.tank_c = boiling_c;
        }
    } else {
        s.tank_c = follow(s.tank_c, still.ambient_c, still.pot_cooling_time_s, dt_s);
    }
    const bool boiling = s.heating && s.tank_c >= boiling_c;

    if (boiling) {
        s.steam_c =
            follow(s.steam_c, column_head_c(s.alcohol_left), still.column_follow_time_s, dt_s);
        s.first_stage_c = follow(s.first_stage_c, s.steam_c + 0.55 * (s.tank_c - s.steam_c),
                                 still.column_follow_time_s, dt_s);
        s.second_stage_c = follow(s.second_stage_c, s.steam_c + 0.25 * (s.tank_c - s.steam_c),
                                  still.column_follow_time_s, dt_s);
    } else {
        s.steam_c = follow(s.steam_c, still.ambient_c, still.column_cooling_time_s, dt_s);
        s.first_stage_c =
            follow(s.first_stage_c, still.ambient_c, still.column_cooling_time_s, dt_s);
        s.second_stage_c =
            follow(s.second_stage_c, still.ambient_c, still.column_cooling_time_s, dt_s);
    }

    // Vapour reaches the dephlegmator once the head is hot; more cooling water holds it lower.
    const double water_c = still.cooling_water_c;
    const double vapour_at_top = boiling ? std::clamp((s.steam_c - 60.0) / 18.0, 0.0, 1.0) : 0.0;
    const double uncooled_c = water_c + 0.85 * (s.steam_c - water_c) * vapour_at_top;
    const double top_towards_c =
        water_c + (uncooled_c - water_c) * (1.0 - 0.8 * s.cooling_pct / 100.0);
    const double top_before_c = s.top_exchanger_c;
    s.top_exchanger_c =
        follow(s.top_exchanger_c, top_towards_c, still.exchanger_follow_time_s, dt_s);
    const double top_rise_c = s.top_exchanger_c - water_c;
    s.centre_c =
        follow(s.centre_c, water_c + 0.6 * top_rise_c, still.exchanger_follow_time_s, dt_s);
    s.bottom_exchanger_c = follow(s.bottom_exchanger_c, water_c + 0.3 * top_rise_c,
                                  still.exchanger_follow_time_s, dt_s);
    s.out_water_c =
        follow(s.out_water_c, water_c + 0.5 * top_rise_c, still.exchanger_follow_time_s, dt_s);

    s.proportional_pct = percent(50.0 + still.proportional_gain * error_c);
    s.integral_pct = percent(s.integral_pct + still.integral_gain * error_c * dt_s);
    s.derivative_pct =
        percent(50.0 + still.derivative_gain * (s.top_exchanger_c - top_before_c) / dt_s);

    // Product runs once the head has come up to temperature.
    const double running = boiling ? std::clamp((s.steam_c - 70.0) / 8.0, 0.0, 1.0) : 0.0;
    const double flow_towards = still.largest_flow_l_per_h * s.valve / 255.0 * running;
    s.flow_l_per_h = follow(s.flow_l_per_h, flow_towards, still.flow_follow_time_s, dt_s);
    const double product_l = s.flow_l_per_h * dt_s / 3600.0;
    s.volume_l = std::min(volume_limit_l, s.volume_l + product_l);
    s.alcohol_left = std::max(
        0.0, s.alcohol_left - product_l * product_strength(s.steam_c) / still.alcohol_in_wash_l);

    if (s.heating && !s.run_finished && s.steam_c >= end_of_run_steam_c) {
        s.heating = false;
        s.run_finished = true;
    }
}

CommandReaction RunModel::apply_command(std::uint8_t byte) {
    ColumnState& s = state_;
    switch (byte) {
        case command::valve_down:
        case command::valve_up: {
            const int before = s.valve;
            s.valve = std::clamp(s.valve + (byte == command::valve_up ? valve_step : -valve_step),
                                 0, 255);
            return {true, "valve " + std::to_string(before) + " -> " + std::to_string(s.valve)};
        }
        case command::target_down:
        case command::target_up: {
            const double before = s.target_c;
            s.target_c = std::clamp(
                s.target_c + (byte == command::target_up ? target_step_c : -target_step_c),
                target_low_c, target_high_c);
            return {true,
                    "target " + temperature_text(before) + " -> " + temperature_text(s.target_c)};
        }
        case command::volume_reset: {
            const double before = s.volume_l;
            s.volume_l = 0.0;
            return {true, "volume " + format_number(before, "0.00") + " l -> 0.00 l"};
        }
        case command::heating_off:
            s.heating = false;
            return {true, "heating off"};
        case command::heating_on:
            s.heating = true;
            return {true, "heating on"};
        default:
            return {false, "not a device command, ignored"};
    }
}

TelemetryFrame RunModel::next_frame() {
    const ColumnState& s = state_;
    std::uniform_int_distribution<int> temperature_noise(-1, 1);
    std::uniform_int_distribution<int> term_noise(-20, 20);
    std::uniform_int_distribution<int> flow_noise(-1, 1);
    std::uniform_int_distribution<int> low_byte(0, 255);

    TelemetryFrame frame;
    const double temperatures[] = {
        s.tank_c,          s.first_stage_c, s.second_stage_c,     s.steam_c,
        s.top_exchanger_c, s.centre_c,      s.bottom_exchanger_c, s.out_water_c};
    for (int i = 0; i < 8; ++i) {
        frame[i] = raw_value(temperatures[i], 16, temperature_noise(noise_));
    }
    const double terms[] = {s.proportional_pct, s.integral_pct, s.derivative_pct, s.cooling_pct};
    for (int i = 0; i < 4; ++i) {
        frame[8 + i] = raw_value(terms[i], 327, term_noise(noise_));
    }
    frame[element::flow] =
        raw_value(s.flow_l_per_h, 100, s.flow_l_per_h > 0.01 ? flow_noise(noise_) : 0);
    frame[element::volume] = raw_value(s.volume_l, 100, 0);
    frame[element::target] = raw_value(s.target_c, 16, 0);
    // The opening travels in the high byte; the low byte is whatever the device had there.
    frame[element::valve] =
        static_cast<std::int16_t>(static_cast<std::uint16_t>(s.valve << 8 | low_byte(noise_)));

    const DeviceTimeStamp stamp = encode_time_stamp(settings_.clock_start_s + s.run_time_s);
    frame[element::time_hours] = stamp.hours_minutes;
    frame[element::time_seconds] = stamp.seconds_tenths;
    record_number_ = next_record_number(record_number_);
    frame[element::record_number] = static_cast<std::int16_t>(record_number_);
    return frame;
}

}  // namespace stillmon::stillsim
