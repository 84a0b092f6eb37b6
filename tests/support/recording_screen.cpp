#include "support/recording_screen.h"

namespace stillmon {

void RecordingScreen::set_text_position(int row, int column) {
    calls_.push_back({CallKind::position, row, column, 0, 0, {}, false});
    const int new_row = row == 0 ? row_ : row;
    if (new_row < 1 || new_row > rows_ || column < 1 || column > columns_) {
        return;
    }
    row_ = new_row;
    column_ = column;
}

void RecordingScreen::set_text_colours(int foreground, int background) {
    calls_.push_back({CallKind::colours, 0, 0, foreground, background, {}, false});
    foreground_ = foreground;
    background_ = background;
}

void RecordingScreen::print(std::string_view text, bool end_line) {
    calls_.push_back(
        {CallKind::print, row_, column_, foreground_, background_, std::string(text), end_line});
    for (const char character : text) {
        put(character);
    }
    if (end_line) {
        ++row_;
        column_ = 1;
    }
}

void RecordingScreen::put(char character) {
    cells_[{row_, column_}] = Cell{character, foreground_, background_};
    if (++column_ > columns_) {
        ++row_;
        column_ = 1;
    }
}

std::vector<RecordingScreen::Call> RecordingScreen::prints() const {
    std::vector<Call> result;
    for (const auto& call : calls_) {
        if (call.kind == CallKind::print) {
            result.push_back(call);
        }
    }
    return result;
}

std::string RecordingScreen::text_at(int row, int column) const {
    std::string text;
    for (int c = column; c <= columns_; ++c) {
        const auto found = cells_.find({row, c});
        if (found == cells_.end()) {
            break;
        }
        text += found->second.character;
    }
    return text;
}

const RecordingScreen::Cell* RecordingScreen::cell_at(int row, int column) const {
    const auto found = cells_.find({row, column});
    return found == cells_.end() ? nullptr : &found->second;
}

void RecordingScreen::clear() {
    calls_.clear();
    cells_.clear();
}

}  // namespace stillmon
