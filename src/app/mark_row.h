#pragma once

#include <string>

#include "app/readouts.h"
#include "base/journal_entry.h"
#include "base/text_screen.h"

namespace stillmon {

// The latest mark on the window, live as it is made or replayed as its record is drawn. Until
// the first mark the window is exactly as without marks. Main thread only.
class MarkRow {
  public:
    explicit MarkRow(TextScreen& screen) : screen_(screen) {}

    // Shows a mark at once; other entries leave the row as it is.
    void take(const JournalEntry& entry);
    // A trace crossing the row wipes letters, so the row is printed again at every cycle once
    // there is a mark.
    void cycle_drawn();

  private:
    TextScreen& screen_;
    ShrinkingText row_;
    std::string shown_;
};

}  // namespace stillmon
