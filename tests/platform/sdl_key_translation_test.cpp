#include "display/sdl_key_translation.h"

#include <gtest/gtest.h>

#include "base/key_codes.h"

namespace stillmon {
namespace {

std::optional<std::string> key(std::string_view text) {
    return std::string(text);
}

TEST(SdlKeyTranslation, GivesKeysThatTypeNoText) {
    struct Case {
        SDL_Keycode keycode;
        Uint16 modifiers;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {SDLK_RETURN, KMOD_NONE, key("\r")},      {SDLK_KP_ENTER, KMOD_NONE, key("\r")},
        {SDLK_RETURN, KMOD_SHIFT, key("\r")},     {SDLK_ESCAPE, KMOD_NONE, key("\x1B")},
        {SDLK_BACKSPACE, KMOD_NONE, key("\x08")}, {SDLK_TAB, KMOD_NONE, key("\t")},
        {SDLK_UP, KMOD_NONE, key("\xFFH")},       {SDLK_DOWN, KMOD_NONE, key("\xFFP")},
        {SDLK_LEFT, KMOD_NONE, key("\xFFK")},     {SDLK_RIGHT, KMOD_NONE, key("\xFFM")},
        {SDLK_HOME, KMOD_NONE, key("\xFFG")},     {SDLK_END, KMOD_NONE, key("\xFFO")},
        {SDLK_PAGEUP, KMOD_NONE, key("\xFFI")},   {SDLK_PAGEDOWN, KMOD_NONE, key("\xFFQ")},
        {SDLK_INSERT, KMOD_NONE, key("\xFFR")},   {SDLK_DELETE, KMOD_NONE, key("\xFFS")},
        {SDLK_F1, KMOD_NONE, key("\xFF\x3B")},    {SDLK_F10, KMOD_NONE, key("\xFF\x44")},
        {SDLK_F11, KMOD_NONE, key("\xFF\x85")},   {SDLK_F12, KMOD_NONE, key(key::snapshot)},
        {SDLK_UP, KMOD_CTRL, key("\xFFH")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(key_for_key_press(c.keycode, c.modifiers), c.expected)
            << SDL_GetKeyName(c.keycode) << " with modifiers " << c.modifiers;
    }
}

TEST(SdlKeyTranslation, LeavesTypedCharactersToTheTextEvents) {
    const SDL_Keycode typing[] = {SDLK_q,     SDLK_x,       SDLK_0,
                                  SDLK_9,     SDLK_PERIOD,  SDLK_SPACE,
                                  SDLK_MINUS, SDLK_KP_PLUS, SDLK_KP_MULTIPLY};
    for (const SDL_Keycode keycode : typing) {
        EXPECT_EQ(key_for_key_press(keycode, KMOD_NONE), std::nullopt) << SDL_GetKeyName(keycode);
        EXPECT_EQ(key_for_key_press(keycode, KMOD_LSHIFT), std::nullopt) << SDL_GetKeyName(keycode);
    }
}

TEST(SdlKeyTranslation, GivesNothingForModifierKeysAlone) {
    const SDL_Keycode modifiers[] = {SDLK_LSHIFT,       SDLK_RSHIFT, SDLK_LCTRL, SDLK_RCTRL,
                                     SDLK_LALT,         SDLK_RALT,   SDLK_LGUI,  SDLK_CAPSLOCK,
                                     SDLK_NUMLOCKCLEAR, SDLK_MODE};
    for (const SDL_Keycode keycode : modifiers) {
        EXPECT_EQ(key_for_key_press(keycode, KMOD_NONE), std::nullopt) << SDL_GetKeyName(keycode);
        EXPECT_EQ(key_for_key_press(keycode, KMOD_CTRL), std::nullopt) << SDL_GetKeyName(keycode);
    }
}

TEST(SdlKeyTranslation, KeypadIsCursorKeysOnlyWhileNumLockIsOff) {
    struct Case {
        SDL_Keycode keycode;
        std::string_view without_num_lock;
    };
    const Case cases[] = {
        {SDLK_KP_8, key::up},      {SDLK_KP_2, key::down},
        {SDLK_KP_4, key::left},    {SDLK_KP_6, key::right},
        {SDLK_KP_7, key::home},    {SDLK_KP_1, key::end},
        {SDLK_KP_9, key::page_up}, {SDLK_KP_3, key::page_down},
        {SDLK_KP_0, key::insert},  {SDLK_KP_PERIOD, key::delete_key},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(key_for_key_press(c.keycode, KMOD_NONE), key(c.without_num_lock))
            << SDL_GetKeyName(c.keycode);
        EXPECT_EQ(key_for_key_press(c.keycode, KMOD_NUM), std::nullopt)
            << SDL_GetKeyName(c.keycode);
    }
    EXPECT_EQ(key_for_key_press(SDLK_KP_5, KMOD_NONE), std::nullopt);
}

TEST(SdlKeyTranslation, CtrlWithALetterGivesItsControlCharacter) {
    struct Case {
        SDL_Keycode keycode;
        Uint16 modifiers;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {SDLK_a, KMOD_LCTRL, key("\x01")},
        {SDLK_c, KMOD_RCTRL, key("\x03")},
        {SDLK_z, KMOD_LCTRL | KMOD_LSHIFT, key("\x1A")},
        {SDLK_a, KMOD_LCTRL | KMOD_LALT, std::nullopt},
        {SDLK_a, KMOD_LCTRL | KMOD_MODE, std::nullopt},
        {SDLK_1, KMOD_LCTRL, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(key_for_key_press(c.keycode, c.modifiers), c.expected)
            << SDL_GetKeyName(c.keycode) << " with modifiers " << c.modifiers;
    }
}

}  // namespace
}  // namespace stillmon
