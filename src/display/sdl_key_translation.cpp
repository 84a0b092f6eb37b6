#include "display/sdl_key_translation.h"

#include <array>
#include <string_view>

#include "base/key_codes.h"

namespace stillmon {

namespace {

struct KeyName {
    SDL_Keycode keycode;
    std::string_view key;
};

constexpr std::array<KeyName, 15> plain_keys{{
    {SDLK_RETURN, key::enter},
    {SDLK_RETURN2, key::enter},
    {SDLK_KP_ENTER, key::enter},
    {SDLK_ESCAPE, key::escape},
    {SDLK_BACKSPACE, key::backspace},
    {SDLK_TAB, "\t"},
    {SDLK_UP, key::up},
    {SDLK_DOWN, key::down},
    {SDLK_LEFT, key::left},
    {SDLK_RIGHT, key::right},
    {SDLK_HOME, key::home},
    {SDLK_END, key::end},
    {SDLK_PAGEUP, key::page_up},
    {SDLK_PAGEDOWN, key::page_down},
    {SDLK_INSERT, key::insert},
}};

// Keys of the keypad act as cursor and editing keys while Num Lock is off; with it on they
// type digits and arrive as text.
constexpr std::array<KeyName, 10> keypad_cursor_keys{{
    {SDLK_KP_8, key::up},
    {SDLK_KP_2, key::down},
    {SDLK_KP_4, key::left},
    {SDLK_KP_6, key::right},
    {SDLK_KP_7, key::home},
    {SDLK_KP_1, key::end},
    {SDLK_KP_9, key::page_up},
    {SDLK_KP_3, key::page_down},
    {SDLK_KP_0, key::insert},
    {SDLK_KP_PERIOD, key::delete_key},
}};

constexpr std::array<SDL_Keycode, 12> function_keycodes{{
    SDLK_F1,
    SDLK_F2,
    SDLK_F3,
    SDLK_F4,
    SDLK_F5,
    SDLK_F6,
    SDLK_F7,
    SDLK_F8,
    SDLK_F9,
    SDLK_F10,
    SDLK_F11,
    SDLK_F12,
}};

std::optional<std::string> find_key(const auto& table, SDL_Keycode keycode) {
    for (const auto& entry : table) {
        if (entry.keycode == keycode) {
            return std::string(entry.key);
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> key_for_key_press(SDL_Keycode keycode, Uint16 modifiers) {
    if (keycode == SDLK_DELETE) {
        return std::string(key::delete_key);
    }
    if (auto key = find_key(plain_keys, keycode)) {
        return key;
    }
    if ((modifiers & KMOD_NUM) == 0) {
        if (auto key = find_key(keypad_cursor_keys, keycode)) {
            return key;
        }
    }
    for (std::size_t i = 0; i < function_keycodes.size(); ++i) {
        if (function_keycodes[i] == keycode) {
            return key::function_key(static_cast<int>(i) + 1);
        }
    }
    // Ctrl with a letter types that letter's control character (Ctrl+A is 1); the window
    // sends no text for it. With Alt or AltGr as well it is something else and gives nothing.
    const bool ctrl_only =
        (modifiers & KMOD_CTRL) != 0 && (modifiers & (KMOD_ALT | KMOD_MODE)) == 0;
    if (ctrl_only && keycode >= SDLK_a && keycode <= SDLK_z) {
        return std::string(1, static_cast<char>(keycode - SDLK_a + 1));
    }
    return std::nullopt;
}

}  // namespace stillmon
