#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/text_screen.h"

namespace stillmon {

// A TextScreen for tests: keeps every call in order and also lays the printed characters out
// on a text grid the way the window does (the cursor advances one column per character, a
// text runs on into the next row after the last column, ending the line moves to column 1 of
// the next row, a row of 0 keeps the current row, a position outside the grid is ignored).
// There is no scrolling: rows past the last one are simply kept.
class RecordingScreen : public TextScreen {
  public:
    enum class CallKind { position, colours, print };

    struct Call {
        CallKind kind;
        int row = 0;  // position: as requested; print: cursor where the text began
        int column = 0;
        int foreground = 0;  // colours: as requested; print: colours the text was drawn in
        int background = 0;
        std::string text;  // print only
        bool end_line = false;
    };

    struct Cell {
        char character = ' ';
        int foreground = 0;
        int background = 0;
    };

    explicit RecordingScreen(int rows = 64, int columns = 160) : rows_(rows), columns_(columns) {}

    void set_text_position(int row, int column) override;
    void set_text_colours(int foreground, int background) override;
    void print(std::string_view text, bool end_line) override;

    const std::vector<Call>& calls() const { return calls_; }
    std::vector<Call> prints() const;

    // The characters on the grid from (row, column) up to the first cell on that row that was
    // never printed to. Empty when (row, column) itself was never printed to.
    std::string text_at(int row, int column) const;
    // The cell at (row, column), or nullptr when nothing was printed there.
    const Cell* cell_at(int row, int column) const;

    std::pair<int, int> cursor() const { return {row_, column_}; }

    // Forgets the calls and the grid; the cursor and colours stay where they are.
    void clear();

  private:
    void put(char character);

    int rows_;
    int columns_;
    int row_ = 1;
    int column_ = 1;
    int foreground_ = 15;
    int background_ = 0;
    std::vector<Call> calls_;
    std::map<std::pair<int, int>, Cell> cells_;
};

}  // namespace stillmon
