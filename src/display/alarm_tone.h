#pragma once

#include <functional>
#include <memory>
#include <string>

#include "base/error_lines.h"

namespace stillmon {

// The tone that sounds while a critical alarm fires unacknowledged. Main thread only.
class AlarmTone {
  public:
    virtual ~AlarmTone() = default;
    // Starts or stops the tone; a call that changes nothing costs nothing.
    virtual void sound(bool on) = 0;
};

// Opens the sound device when the tone first sounds; a machine without one gets the tone
// skipped, and `say` told why, once (display/sdl_alarm_tone.h's make_sdl_alarm_tone is the
// real one).
using AlarmToneMaker = std::function<std::unique_ptr<AlarmTone>(Say say)>;

}  // namespace stillmon
