#include "app/alarm_window.h"

#include <utility>

namespace stillmon {

namespace {

// "ALARM steam-hot, device-silent", cut to fit the narrower window; empty while none fires.
std::string alarm_row_text(const AlarmBoard& board) {
    std::string text;
    for (const AlarmTracker& alarm : board.alarms()) {
        if (alarm.state() == AlarmState::firing) {
            text += (text.empty() ? "ALARM " : ", ") + alarm.rule().name;
        }
    }
    return cut_to_row(std::move(text), Readout::alarm_row);
}

}  // namespace

void AlarmWindow::show(const AlarmBoard& board) {
    std::string text = alarm_row_text(board);
    // A trace crossing the row wipes letters, so a firing alarm's row is printed at every look,
    // not only when it changes.
    if (!text.empty() || !shown_.empty()) {
        print_row(screen_, Readout::alarm_row, text, row_);
        shown_ = std::move(text);
    }
    if (tone_) {
        tone_->sound(board.sounding());
    }
}

}  // namespace stillmon
