#include "app/mark_row.h"

namespace stillmon {

void MarkRow::take(const JournalEntry& entry) {
    if (entry.kind != JournalKind::mark) {
        return;
    }
    shown_ = cut_to_row("MARK " + entry.text + " at record " + std::to_string(entry.record_number),
                        Readout::mark_row);
    cycle_drawn();
}

void MarkRow::cycle_drawn() {
    if (!shown_.empty()) {
        print_row(screen_, Readout::mark_row, shown_, row_);
    }
}

}  // namespace stillmon
