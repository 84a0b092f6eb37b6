#pragma once

namespace stillmon {

// Once SDL's audio is up: the sound library beneath it keeps its own complaints to itself
// (ALSA prints a dozen lines on stderr for a machine without a sound card). Why a tone cannot
// sound is said once, by the tone.
void quiet_sound_library();

}  // namespace stillmon
