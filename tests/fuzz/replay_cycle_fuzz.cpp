// Arbitrary bytes replayed as a saved text log through the whole replay step: record
// reading and selection, the refill of channels 0 to 7, the calculations, the status panel
// and the 18 strip charts, on the large and the small window. Each cycle must draw the
// record that the in-memory reading of the log selects, the replay must end when the log
// does, and the window must stay readable: every text row has its full width and every pixel
// is one of the 16 basic colours.
//
// Input that begins with the byte 0xFF carries operator settings in its next six bytes
// (valve window, flow window, ratio period, correction gain, replay delay, and flags: bit 0
// paused at start, bit 1 redraw requests); the log follows them. Any other input is all log,
// replayed with the default settings.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "app/acquisition_cycle.h"
#include "display/surface.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/memory_stream.h"
#include "fuzz/reference_text_log.h"
#include "logging/replay_record.h"

namespace stillmon::fuzz {
namespace {

constexpr int cycle_budget = 200;  // per window; keeps one input well below a second
constexpr std::uint8_t settings_mark = 0xFF;
constexpr std::size_t settings_size = 7;
constexpr int waits_while_paused = 3;

struct Settings {
    int valve_window = 20;
    int flow_window = 30;
    int ratio_period = 97;
    int correction_gain = 117;
    int replay_delay = 0;
    bool paused = false;
    bool redraws = false;  // the operator asks for a redraw before every fourth cycle
};

// A byte 0..255 as a parameter 0..256: the top value stands for the limit itself.
int window_from_byte(std::uint8_t byte) {
    return byte == 0xFF ? OperatorState::window_limit : byte;
}

Settings read_settings(std::string_view& input) {
    Settings settings;
    if (input.size() < settings_size || static_cast<std::uint8_t>(input[0]) != settings_mark) {
        return settings;
    }
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(input[i]); };
    settings.valve_window = window_from_byte(byte(1));
    settings.flow_window = window_from_byte(byte(2));
    settings.ratio_period = window_from_byte(byte(3));
    settings.correction_gain = window_from_byte(byte(4));
    settings.replay_delay = byte(5) % (OperatorState::replay_delay_limit + 1);
    settings.paused = (byte(6) & 1U) != 0;
    settings.redraws = (byte(6) & 2U) != 0;
    input.remove_prefix(settings_size);
    return settings;
}

// Never sleeps: the clock moves by what the cycle waits. While the replay is paused, the
// operator lets it run again after a few waits, as the pause key would.
class QuietHost final : public CycleHost {
  public:
    explicit QuietHost(OperatorState& state) : state_(state) {}

    double now_s() override { return now_s_; }
    void wait_ms(int duration_ms) override {
        require(duration_ms > 0, "the cycle waits only when there is something to wait");
        now_s_ += duration_ms / 1000.0;
        if (state_.replay_paused.load() && ++paused_waits_ >= waits_while_paused) {
            state_.replay_paused.store(false);
        }
    }
    void wait_for_wake_up() override {}
    void keep_window_live() override {}
    void wake_up() override {}
    void wake_supervisor() override {}
    void cycle_drawn(const CycleRecord&) override { ++cycles_drawn_; }

    int cycles_drawn() const { return cycles_drawn_; }

  private:
    OperatorState& state_;
    double now_s_ = 0.0;
    int paused_waits_ = 0;
    int cycles_drawn_ = 0;
};

// The record selection of the replay step, over the in-memory reading of the log: records
// are read until one arrives while the last "Num=" count is above 0.
class ExpectedReplay {
  public:
    explicit ExpectedReplay(std::string_view log) : log_(log) {}

    // The next record to draw, or nullopt when the log ends first.
    std::optional<TextLogRecord> next_record() {
        while (!log_.at_end()) {
            TextLogRecord record = log_.read_record();
            if (const auto count = logged_record_count(record[12])) {
                last_count_ = *count;
            }
            if (last_count_ >= 1) {
                refill_frame_from_record(frame_, record);
                return record;
            }
        }
        return std::nullopt;
    }

    bool at_end() const { return log_.at_end(); }
    const TelemetryFrame& frame() const { return frame_; }
    std::uint16_t record_number() const { return static_cast<std::uint16_t>(last_count_); }

  private:
    ReferenceTextLog log_;
    std::int32_t last_count_ = 0;
    TelemetryFrame frame_;
};

void check_surface(const Surface& surface) {
    for (int row = 1; row <= surface.geometry().text_rows; ++row) {
        require(surface.text_of_row(row).size() ==
                    static_cast<std::size_t>(surface.geometry().text_columns()),
                "every text row reads its full width");
    }
    // Or-ed together a word at a time: a bit above the low four in any pixel shows.
    const std::span<const std::uint8_t> pixels = surface.pixels();
    std::uint64_t bits = 0;
    std::size_t at = 0;
    for (; at + sizeof bits <= pixels.size(); at += sizeof bits) {
        std::uint64_t word = 0;
        std::memcpy(&word, pixels.data() + at, sizeof word);
        bits |= word;
    }
    for (; at < pixels.size(); ++at) {
        bits |= pixels[at];
    }
    require((bits & 0xF0F0F0F0F0F0F0F0U) == 0, "only the 16 basic colours");
}

void replay_on(ScreenGeometry geometry, const Settings& settings, std::string_view log) {
    Surface surface(geometry);
    OperatorState state;
    state.valve_window.store(settings.valve_window);
    state.flow_window.store(settings.flow_window);
    state.ratio_period.store(settings.ratio_period);
    state.correction_gain.store(settings.correction_gain);
    state.replay_delay.store(settings.replay_delay);
    state.replay_paused.store(settings.paused);
    QuietHost host(state);
    AcquisitionCycle cycle(surface, state, host);

    MemoryStream input(reinterpret_cast<const std::uint8_t*>(log.data()), log.size());
    TextLogReader reader(input.open());
    ExpectedReplay expected(log);

    int drawn = 0;
    bool ended = false;
    while (!ended && drawn < cycle_budget) {
        if (settings.redraws && drawn % 4 == 3) {
            state.redraw_requested.store(true);
        }
        const ReplayOutcome outcome = cycle.run_replay_cycle(reader);
        require(!state.redraw_requested.load(), "a redraw request is taken in the cycle");
        const std::optional<TextLogRecord> record = expected.next_record();
        if (!record) {
            require(outcome == ReplayOutcome::log_ended, "the replay ends with the log");
            ended = true;
            break;
        }
        ++drawn;
        require(outcome == (expected.at_end() ? ReplayOutcome::log_ended_after_cycle
                                              : ReplayOutcome::cycle_drawn),
                "a drawn cycle tells whether the log is left");
        ended = outcome == ReplayOutcome::log_ended_after_cycle;
        require(cycle.record_number() == expected.record_number(), "the selected record");
        for (int c = 0; c < 8; ++c) {
            require(cycle.frame()[c] == expected.frame()[c], "channels 0 to 7 from the record");
        }
        require(!state.replay_paused.load(), "a drawn cycle ran while the replay was running");
    }
    require(host.cycles_drawn() == drawn, "one drawing per replayed record");
    require(drawn <= static_cast<int>(log.size()), "every record consumes at least one byte");
    if (ended) {
        require(cycle.run_replay_cycle(reader) == ReplayOutcome::log_ended,
                "an ended log stays ended");
        require(host.cycles_drawn() == drawn, "nothing drawn after the end");
    }
    check_surface(surface);
}

}  // namespace
}  // namespace stillmon::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace stillmon;
    using namespace stillmon::fuzz;
    std::string_view log(reinterpret_cast<const char*>(data), size);
    const Settings settings = read_settings(log);
    replay_on(large_screen, settings, log);
    replay_on(small_screen, settings, log);
    return 0;
}
