#pragma once

#include <memory>
#include <string>

#include "alarms/alarm_board.h"
#include "app/readouts.h"
#include "base/text_screen.h"
#include "display/alarm_tone.h"

namespace stillmon {

// The alarms on the window: the firing alarms' names on their row, and the tone while a
// critical one fires unacknowledged. Until an alarm fires the window is exactly as without
// alarms. Main thread only.
class AlarmWindow {
  public:
    // `tone` may be null: no tone.
    AlarmWindow(TextScreen& screen, std::unique_ptr<AlarmTone> tone)
        : screen_(screen), tone_(std::move(tone)) {}

    void show(const AlarmBoard& board);

  private:
    TextScreen& screen_;
    std::unique_ptr<AlarmTone> tone_;
    ShrinkingText row_;
    std::string shown_;
};

}  // namespace stillmon
