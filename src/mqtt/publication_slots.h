#pragma once

#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stillmon {

// What the main thread hands over for the broker, until the connection's thread can send it.
// Only the latest state is kept: while the broker is slow or away, older states are dropped
// rather than queued. Each alarm keeps its latest value. Marks are events, each one its own:
// they wait in a queue, of which only a broker away for long loses the oldest. Handing copies
// under a lock held for microseconds, so that the broker never delays a cycle.
class PublicationSlots {
  public:
    struct Alarm {
        std::string name;
        bool firing = false;
    };

    // Marks waiting at most: an operator's hours of marks.
    static constexpr std::size_t mark_capacity = 100;

    explicit PublicationSlots(const std::vector<std::string>& alarm_names);

    // Main thread.
    void hand_state(std::string json);
    void hand_alarm(std::string_view name, bool firing);  // an alarm not named at start: none
    void hand_mark(std::string json);

    // Connection's thread: the state handed since the last take, or with `again` the latest
    // one even if it was taken (for a new connection, whose broker may have forgotten it).
    std::optional<std::string> take_state(bool again);
    // The alarms changed since the last take, or with `all` every alarm.
    std::vector<Alarm> take_alarms(bool all);
    // The marks handed since the last take, oldest first.
    std::vector<std::string> take_marks();

  private:
    std::mutex mutex_;
    std::optional<std::string> state_;
    bool state_taken_ = false;
    std::vector<Alarm> alarms_;
    std::vector<bool> changed_;
    std::deque<std::string> marks_;
};

}  // namespace stillmon
