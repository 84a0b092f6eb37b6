#pragma once

#include <SDL.h>

#include <optional>
#include <string>

namespace stillmon {

// The operator key for a key press the window reports, for the keys that give no typed
// text: Enter, Esc, Backspace, Tab, the cursor and editing keys, F1 to F12, the keypad's
// cursor keys while Num Lock is off, and Ctrl with a letter (its control character). Keys
// that type text come with the window's text events instead, and give nothing here, so each
// press yields exactly one key; so do modifier keys on their own.
std::optional<std::string> key_for_key_press(SDL_Keycode keycode, Uint16 modifiers);

}  // namespace stillmon
