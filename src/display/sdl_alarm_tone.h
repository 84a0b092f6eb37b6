#pragma once

#include "display/alarm_tone.h"

namespace stillmon {

// The alarm tone through SDL's audio: a 880 Hz beep, a quarter of a second on and off.
std::unique_ptr<AlarmTone> make_sdl_alarm_tone(Say say);

}  // namespace stillmon
