#include "mqtt/publication_slots.h"

#include <iterator>

namespace stillmon {

PublicationSlots::PublicationSlots(const std::vector<std::string>& alarm_names)
    : changed_(alarm_names.size(), false) {
    for (const std::string& name : alarm_names) {
        alarms_.push_back({name, false});
    }
}

void PublicationSlots::hand_state(std::string json) {
    const std::lock_guard lock(mutex_);
    // The previous text goes back to the caller, to be freed outside the lock.
    if (state_) {
        state_->swap(json);
    } else {
        state_ = std::move(json);
    }
    state_taken_ = false;
}

void PublicationSlots::hand_alarm(std::string_view name, bool firing) {
    const std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < alarms_.size(); ++i) {
        if (alarms_[i].name == name && alarms_[i].firing != firing) {
            alarms_[i].firing = firing;
            changed_[i] = true;
        }
    }
}

void PublicationSlots::hand_mark(std::string json) {
    const std::lock_guard lock(mutex_);
    if (marks_.size() == mark_capacity) {
        marks_.pop_front();
    }
    marks_.push_back(std::move(json));
}

std::optional<std::string> PublicationSlots::take_state(bool again) {
    const std::lock_guard lock(mutex_);
    if (!state_ || (state_taken_ && !again)) {
        return std::nullopt;
    }
    state_taken_ = true;
    return state_;
}

std::vector<PublicationSlots::Alarm> PublicationSlots::take_alarms(bool all) {
    const std::lock_guard lock(mutex_);
    std::vector<Alarm> taken;
    for (std::size_t i = 0; i < alarms_.size(); ++i) {
        if (all || changed_[i]) {
            taken.push_back(alarms_[i]);
        }
        changed_[i] = false;
    }
    return taken;
}

std::vector<std::string> PublicationSlots::take_marks() {
    const std::lock_guard lock(mutex_);
    std::vector<std::string> taken(std::make_move_iterator(marks_.begin()),
                                   std::make_move_iterator(marks_.end()));
    marks_.clear();
    return taken;
}

}  // namespace stillmon
