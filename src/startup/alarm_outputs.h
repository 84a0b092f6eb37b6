#pragma once

#include <chrono>
#include <functional>
#include <vector>

#include "alarms/alarm_board.h"
#include "alarms/alarm_notices.h"
#include "base/error_lines.h"

namespace stillmon {

// Everything the alarms reach: each change is said on stderr and passed on as a notice to
// whoever takes notices (the events file, the notifications, the page's chart marks); after
// every look the board's state goes to whoever shows it (the window's row and tone, the page).
class AlarmOutputs {
  public:
    using NoticeTaker = std::function<void(const AlarmNotice&)>;
    using StateTaker = std::function<void(const AlarmBoard&, const ClockPair& now)>;

    using WallClock = std::function<std::chrono::system_clock::time_point()>;

    AlarmOutputs(Say say, WallClock wall_clock)
        : say_(std::move(say)), wall_clock_(std::move(wall_clock)) {}

    void take_notices(NoticeTaker taker) { notice_takers_.push_back(std::move(taker)); }
    void take_state(StateTaker taker) { state_takers_.push_back(std::move(taker)); }

    // Main thread, after every look at the board; `events` are the changes it found, `now_s`
    // the board's clock at the look.
    void looked(const AlarmBoard& board, const std::vector<AlarmEvent>& events, double now_s);

  private:
    Say say_;
    WallClock wall_clock_;
    std::vector<NoticeTaker> notice_takers_;
    std::vector<StateTaker> state_takers_;
};

}  // namespace stillmon
