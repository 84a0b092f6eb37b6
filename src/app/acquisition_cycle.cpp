#include "app/acquisition_cycle.h"

#include <array>
#include <utility>

#include "app/readouts.h"
#include "base/channel_table.h"
#include "display/redraw_request.h"
#include "process/chart_value.h"
#include "process/cycle_record_builder.h"

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
    const int timing_errors_shown = check_frame_timing(frame_interval_s);

    record_number_ = frame_.record_number();
    frame_[element::valve] = decode_valve_element(frame_[element::valve]);

    const CycleReadouts readouts = derive_cycle_values(frame_, derived_, state_);
    const ChannelLines lines = show_readouts_and_compose(readouts, &live_valve_sample_);
    const float proof = state_.proof_value.load();
    const std::string record_line = logs.write_cycle_logs(frame_, lines, proof, frame_interval_s);
    draw_panel_and_charts(lines, live_record_line_.covering(record_line));

    state_.last_frame_time_s.store(frame_time_s);
    host_.cycle_drawn(make_cycle_record(frame_, derived_, readouts,
                                        {record_number_, compose_device_time_text(frame_),
                                         frame_interval_s, proof, timing_errors_shown}));
}

int AcquisitionCycle::check_frame_timing(double frame_interval_s) {
    if (frame_interval_s > frame_timing::longest_interval_s ||
        frame_interval_s < frame_timing::shortest_interval_s) {
        const int shown = ++timing_errors_;
        print_timing_errors(surface_, timing_errors_);
        if (timing_errors_ > frame_timing::errors_before_reset) {
            timing_errors_ = 0;
            state_.link_reset_requested.store(true);
            host_.wake_supervisor();
            host_.wait_ms(frame_timing::recovery_pause_ms);
        }
        return shown;
    }
    timing_errors_ = 0;
    print_timing_errors(surface_, timing_errors_);
    return 0;
}

ReplayOutcome AcquisitionCycle::run_replay_cycle(TextLogReader& log) {
    handle_redraw_request(state_, surface_);

    // Before each record read: the replay delay, then as long as the replay is paused, the
    // pause check and the delay again. A read that found no record drew nothing, so the
    // window is served before the next: a log of nothing but damage (or an endless stream
    // behind its name) must not keep the operator's keys away.
    bool first_read = true;
    const auto wait_before_read = [this, &first_read] {
        if (!std::exchange(first_read, false)) {
            host_.keep_window_live();
        }
        while (true) {
            const int delay_ms = state_.replay_delay.load() * replay_delay_step_ms;
            if (delay_ms > 0) {
                host_.wait_ms(delay_ms);
            }
            if (!state_.replay_paused.load()) {
                return;
            }
            host_.wait_ms(replay_pause_check_ms);
        }
    };
    const std::optional<ReplayedRecord> replayed = replay_.next(log, state_, wait_before_read);
    if (!replayed) {
        return ReplayOutcome::log_ended;
    }
    record_number_ = replayed->record.record_number;
    const TextLogRecord& fields = replayed->fields;

    const ChannelLines lines = show_readouts_and_compose(replayed->readouts, nullptr);
    const std::string record_line =
        compose_replay_line(fields[10], fields[11], fields[12], state_.replay_delay.load());
    draw_panel_and_charts(lines, record_line);
    host_.cycle_drawn(replayed->record);
    return log.at_end() ? ReplayOutcome::log_ended_after_cycle : ReplayOutcome::cycle_drawn;
}

ChannelLines AcquisitionCycle::show_readouts_and_compose(const CycleReadouts& readouts,
                                                         ShrinkingText* valve_sample) {
    print_cycle_readouts(surface_, readouts, valve_sample);
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
