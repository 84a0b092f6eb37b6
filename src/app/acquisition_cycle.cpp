#include "app/acquisition_cycle.h"

#include <array>

#include "app/readouts.h"
#include "base/channel_table.h"
#include "display/redraw_request.h"
#include "logging/replay_record.h"
#include "process/chart_value.h"

namespace stillmon {

namespace {

constexpr int replay_pause_check_ms = 100;
constexpr int replay_delay_step_ms = 10;

}  // namespace

AcquisitionCycle::AcquisitionCycle(Surface& surface, OperatorState& state, CycleHost& host)
    : surface_(surface), state_(state), host_(host) {}

void AcquisitionCycle::run_live_cycle(DeviceLink& link, CycleLogs& logs) {
    // Only a whole frame completes the cycle: nothing is logged or charted for a read the
    // supervisor's close released, or for a link that is gone. Meanwhile the window stays
    // live, and the stall clock runs on, so the supervisor keeps re-opening the link.
    std::array<std::uint8_t, frame_size_bytes> received{};
    const ReadWaiting waiting{[this] { host_.wait_for_wake_up(); }, [this] { host_.wake_up(); }};
    int pause_ms = frame_timing::pre_read_pause_ms;
    do {
        handle_redraw_request(state_, surface_);
        host_.wait_ms(pause_ms);
        print_entry_text(surface_, state_.entry_text());
        pause_ms = frame_timing::retry_pause_ms;
    } while (link.read_frame(received, waiting) != frame_size_bytes);
    store_frame_bytes(frame_, received);
    const double frame_time_s = host_.now_s();
    const double frame_interval_s = frame_time_s - state_.last_frame_time_s.load();
    check_frame_timing(frame_interval_s);

    record_number_ = frame_.record_number();
    frame_[element::valve] = decode_valve_element(frame_[element::valve]);

    const ChannelLines lines = derive_and_compose(&live_valve_sample_);
    const std::string record_line =
        logs.write_cycle_logs(frame_, lines, state_.proof_value.load(), frame_interval_s);
    draw_panel_and_charts(lines, live_record_line_.covering(record_line));

    state_.last_frame_time_s.store(frame_time_s);
    host_.cycle_drawn();
}

void AcquisitionCycle::check_frame_timing(double frame_interval_s) {
    if (frame_interval_s > frame_timing::longest_interval_s ||
        frame_interval_s < frame_timing::shortest_interval_s) {
        ++timing_errors_;
        print_timing_errors(surface_, timing_errors_);
        if (timing_errors_ > frame_timing::errors_before_reset) {
            timing_errors_ = 0;
            state_.link_reset_requested.store(true);
            host_.wake_supervisor();
            host_.wait_ms(frame_timing::recovery_pause_ms);
        }
    } else {
        timing_errors_ = 0;
        print_timing_errors(surface_, timing_errors_);
    }
}

ReplayOutcome AcquisitionCycle::run_replay_cycle(TextLogReader& log) {
    handle_redraw_request(state_, surface_);

    TextLogRecord record;
    while (true) {
        const int delay_ms = state_.replay_delay.load() * replay_delay_step_ms;
        if (delay_ms > 0) {
            host_.wait_ms(delay_ms);
        }
        if (state_.replay_paused.load()) {
            host_.wait_ms(replay_pause_check_ms);
            continue;
        }
        if (log.at_end()) {
            return ReplayOutcome::log_ended;
        }
        record = log.read_record();
        if (const auto count = logged_record_count(record[12])) {
            last_record_count_ = *count;
        }
        if (last_record_count_ >= 1) {
            break;
        }
    }
    record_number_ = static_cast<std::uint16_t>(last_record_count_);
    refill_frame_from_record(frame_, record);

    const ChannelLines lines = derive_and_compose(nullptr);
    const std::string record_line =
        compose_replay_line(record[10], record[11], record[12], state_.replay_delay.load());
    draw_panel_and_charts(lines, record_line);
    host_.cycle_drawn();
    return log.at_end() ? ReplayOutcome::log_ended_after_cycle : ReplayOutcome::cycle_drawn;
}

ChannelLines AcquisitionCycle::derive_and_compose(ShrinkingText* valve_sample) {
    print_cycle_readouts(surface_, derive_cycle_values(frame_, derived_, state_), valve_sample);
    return compose_channel_lines(frame_);
}

void AcquisitionCycle::draw_panel_and_charts(const ChannelLines& lines,
                                             const std::string& record_line) {
    print_status_panel(surface_, lines, record_line, state_);
    for (int channel = 0; channel <= element::valve; ++channel) {
        chart_.plot_channel(surface_, channel, frame_[channel]);
    }
    chart_.plot_channel(surface_, reflux_channel, chart_raw_value(derived_.channel18_value));
    chart_.plot_channel(surface_, stage_channel, chart_raw_value(derived_.stage_value));
}

}  // namespace stillmon
