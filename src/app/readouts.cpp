#include "app/readouts.h"

#include <iterator>

#include "base/numbers.h"
#include "display/screen_geometry.h"

namespace stillmon {

namespace {

// place_of indexes the table by readout.
constexpr bool table_in_readout_order() {
    for (std::size_t i = 0; i < std::size(readout_table); ++i) {
        if (readout_table[i].readout != static_cast<Readout>(i)) {
            return false;
        }
    }
    return std::size(readout_table) == static_cast<std::size_t>(Readout::mark_row) + 1;
}
static_assert(table_in_readout_order());

void go_to(TextScreen& screen, Readout readout) {
    const ReadoutPlace& place = place_of(readout);
    screen.set_text_position(place.row, place.column);
    if (place.colour) {
        screen.set_text_colours(*place.colour, 0);
    }
}

void print_line(TextScreen& screen, Readout readout, std::string_view text) {
    go_to(screen, readout);
    screen.print(text, true);
}

void print_parameter(TextScreen& screen, Readout readout, int value) {
    go_to(screen, readout);
    screen.print_integer(value, false);
    screen.print(" ", true);
}

void print_stage_line(TextScreen& screen, const StageCount& count) {
    go_to(screen, Readout::stage_line);
    screen.print(" Proof Input=", false);
    screen.print(format_number(count.input_strength, "0.00"), false);
    screen.print(", Proof Output=", false);
    screen.print(format_number(count.output_strength, "0.00"), false);
    screen.print(", D Stage=", false);
    screen.print(format_number(count.whole_stages, "0.0"), false);
    screen.print(", DLine St=", false);
    screen.print(format_number(count.crossing_point, "0.00"), false);
    screen.print("            ", true);
}

void print_ratio_line(TextScreen& screen, const RatioReadouts& ratio) {
    go_to(screen, Readout::ratio_line);
    screen.print_single(ratio.denominator, false);
    screen.print(",", false);
    screen.print_single(ratio.numerator, false);
    screen.print(",", false);
    screen.print_single(ratio.ratio, false);
    screen.print("   ", true);
}

}  // namespace

std::string ShrinkingText::covering(std::string_view text) {
    std::string covered(text);
    if (previous_length_ > text.size()) {
        covered.append(previous_length_ - text.size(), ' ');
    }
    previous_length_ = text.size();
    return covered;
}

void print_cycle_readouts(TextScreen& screen, const CycleReadouts& readouts,
                          ShrinkingText* valve_sample) {
    if (readouts.stage_line) {
        print_stage_line(screen, *readouts.stage_line);
    }
    if (readouts.valve) {
        go_to(screen, Readout::valve_sample);
        const std::string sample = single_form(readouts.valve->sample);
        screen.print(valve_sample != nullptr ? valve_sample->covering(sample) : sample, true);
        go_to(screen, Readout::valve_average);
        screen.print_short(readouts.valve->average, true);
    }
    if (readouts.ratio) {
        print_ratio_line(screen, *readouts.ratio);
    }
}

void print_status_panel(TextScreen& screen, const ChannelLines& lines, std::string_view record_line,
                        const OperatorState& state) {
    print_line(screen, Readout::channel_line_1, lines.first);
    print_line(screen, Readout::record_line, record_line);
    print_line(screen, Readout::channel_line_2, lines.second);
    print_line(screen, Readout::channel_line_3, lines.third);
    print_parameter(screen, Readout::valve_window, state.valve_window.load());
    print_parameter(screen, Readout::flow_window, state.flow_window.load());
    print_parameter(screen, Readout::ratio_period, state.ratio_period.load());
    print_parameter(screen, Readout::correction_gain, state.correction_gain.load());
}

void print_timing_errors(TextScreen& screen, int errors_in_a_row) {
    go_to(screen, Readout::timing_error);
    if (errors_in_a_row == 0) {
        screen.print("                 ", true);
        return;
    }
    screen.print("Time Error= ", false);
    screen.print(format_number(errors_in_a_row, "0"), false);
    screen.print("   ", true);
}

void print_row(TextScreen& screen, Readout readout, std::string_view text,
               ShrinkingText& previous) {
    go_to(screen, readout);
    screen.print(previous.covering(text), true);
}

std::string cut_to_row(std::string text, Readout readout) {
    const auto room =
        static_cast<std::size_t>(small_screen.text_columns() - place_of(readout).column);
    if (text.size() > room) {
        text.resize(room - 3);
        text += "...";
    }
    return text;
}

void print_entry_text(TextScreen& screen, std::string_view entry) {
    go_to(screen, Readout::entry_text);
    screen.print(entry, false);
    screen.print("         ", true);
}

void print_thread_start_error(TextScreen& screen) {
    print_line(screen, Readout::thread_start_error, "ThreadCreate Error= ");
}

}  // namespace stillmon
