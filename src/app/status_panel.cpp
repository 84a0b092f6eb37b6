#include "app/status_panel.h"

namespace stillmon {

namespace {

constexpr int text_colour = 15;

void print_parameter(TextScreen& screen, int column, int colour, int value) {
    screen.set_text_position(2, column);
    screen.set_text_colours(colour, 0);
    screen.print_integer(value, false);
    screen.print(" ", true);
}

void print_line(TextScreen& screen, int row, int column, std::string_view text) {
    screen.set_text_position(row, column);
    screen.set_text_colours(text_colour, 0);
    screen.print(text, true);
}

}  // namespace

void print_status_panel(TextScreen& screen, const ChannelLines& lines, std::string_view record_line,
                        const OperatorState& state) {
    print_line(screen, 1, 55, lines.first);
    print_line(screen, 1, 23, record_line);
    print_line(screen, 2, 33, lines.second);
    print_line(screen, 2, 85, lines.third);
    print_parameter(screen, 130, 13, state.valve_window.load());
    print_parameter(screen, 135, 10, state.flow_window.load());
    print_parameter(screen, 140, 12, state.ratio_period.load());
    print_parameter(screen, 145, 11, state.correction_gain.load());
}

}  // namespace stillmon
