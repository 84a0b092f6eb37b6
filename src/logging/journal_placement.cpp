#include "logging/journal_placement.h"

#include <algorithm>

namespace stillmon {

JournalPlacement::JournalPlacement(std::vector<JournalEntry> entries) {
    for (JournalEntry& entry : entries) {
        if (runs_.empty() ||
            (entry.kind == JournalKind::session_start &&
             (runs_.back().start || !runs_.back().marks.empty() || runs_.back().end))) {
            runs_.emplace_back();
        }
        Run& run = runs_.back();
        switch (entry.kind) {
            case JournalKind::session_start:
                run.start = std::move(entry);
                break;
            case JournalKind::mark:
                run.marks.push_back(std::move(entry));
                break;
            case JournalKind::session_end:
                run.end = std::move(entry);
                break;
        }
    }
}

void JournalPlacement::begin_run(std::size_t run, Place& place) {
    current_ = std::min(run, runs_.size());
    end_reached_ = false;
    if (current_ < runs_.size() && runs_[current_].start) {
        place.entries.push_back(*runs_[current_].start);
        runs_[current_].start.reset();
    }
}

JournalPlacement::Place JournalPlacement::next(std::uint16_t record_number,
                                               bool starts_session_by_numbers) {
    Place place;
    if (!any_record_) {
        any_record_ = true;
        place.starts_session = true;
        begin_run(0, place);
    } else if (end_reached_) {
        place.starts_session = true;
        begin_run(current_ + 1, place);
    } else if (starts_session_by_numbers) {
        place.starts_session = true;
        // The journal's run goes on where its journal names an end not yet reached: its device
        // restarted, or the session is a run without a journal before it.
        if (current_ >= runs_.size() || !runs_[current_].end) {
            begin_run(current_ + 1, place);
        }
    }
    if (current_ >= runs_.size()) {
        return place;
    }
    Run& run = runs_[current_];
    const auto stands_here = [&](const JournalEntry& mark) {
        return mark.record_number == record_number || mark.record_number == 0;
    };
    for (const JournalEntry& mark : run.marks) {
        if (stands_here(mark)) {
            place.entries.push_back(mark);
        }
    }
    std::erase_if(run.marks, stands_here);
    if (run.end && run.end->record_number == record_number) {
        place.entries.push_back(*run.end);
        run.end.reset();
        end_reached_ = true;
    }
    return place;
}

std::vector<JournalEntry> JournalPlacement::unplaced() const {
    std::vector<JournalEntry> left;
    for (const Run& run : runs_) {
        if (run.start) {
            left.push_back(*run.start);
        }
        left.insert(left.end(), run.marks.begin(), run.marks.end());
        if (run.end) {
            left.push_back(*run.end);
        }
    }
    return left;
}

}  // namespace stillmon
