#pragma once

#include <cstdint>
#include <string_view>

#include "base/number_forms.h"

namespace stillmon {

// Text output at 1-based rows and columns of the window's 8x16 text grid. The readouts
// (app/readouts.h) and the replay prompt print through this; the drawing surface implements
// it and tests record it.
class TextScreen {
  public:
    virtual ~TextScreen() = default;

    // A row of 0 keeps the current row; a position outside the grid is refused silently.
    virtual void set_text_position(int row, int column) = 0;
    virtual void set_text_colours(int foreground, int background) = 0;
    virtual void print(std::string_view text, bool end_line) = 0;

    void print_integer(std::int32_t value, bool end_line) { print(integer_form(value), end_line); }
    void print_short(std::int16_t value, bool end_line) { print(short_form(value), end_line); }
    void print_single(float value, bool end_line) { print(single_form(value), end_line); }
};

}  // namespace stillmon
