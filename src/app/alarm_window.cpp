#include "app/alarm_window.h"

#include "display/screen_geometry.h"

namespace stillmon {

namespace {

// The row starts at column 30; the 128-column window leaves it this many.
constexpr std::size_t row_room =
    static_cast<std::size_t>(small_screen.text_columns() - place_of(Readout::alarm_row).column);

// "ALARM steam-hot, device-silent", cut to fit the narrower window; empty while none fires.
std::string alarm_row_text(const AlarmBoard& board) {
    std::string text;
    for (const AlarmTracker& alarm : board.alarms()) {
        if (alarm.state() == AlarmState::firing) {
            text += (text.empty() ? "ALARM " : ", ") + alarm.rule().name;
        }
    }
    if (text.size() > row_room) {
        text.resize(row_room - 3);
        text += "...";
    }
    return text;
}

}  // namespace

void AlarmWindow::show(const AlarmBoard& board) {
    std::string text = alarm_row_text(board);
    // A trace crossing the row wipes letters, so a firing alarm's row is printed at every look,
    // not only when it changes.
    if (!text.empty() || !shown_.empty()) {
        print_alarm_row(screen_, text, row_);
        shown_ = std::move(text);
    }
    if (tone_) {
        tone_->sound(board.sounding());
    }
}

}  // namespace stillmon
