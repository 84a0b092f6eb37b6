#pragma once

#include <optional>
#include <string>

#include "app/live_journal.h"
#include "app/mark_row.h"
#include "app/process_end.h"
#include "base/error_lines.h"
#include "base/operator_state.h"
#include "logging/journal_placement.h"
#include "startup/command_line.h"
#include "startup/main_screen.h"

namespace stillmon {

// The run's journal, for as long as the run lasts: the mark row, and either the journal file a
// live run keeps or the journal of the log a replay shows.
struct RunJournal {
    std::optional<MarkRow> row;
    std::optional<LiveJournal> file;
    std::optional<JournalPlacement> replayed;
};

// A live run with a configuration: F3 marks, the marks are shown, and the journal file beside
// the logs holds the session's start (`session_text`: the program, its version and the command
// line), its marks and its end, written before the logs close. Registered last with the main
// thread's outputs, so that every consumer has the session's start.
void keep_live_journal(RunJournal& journal, const RunPlan& plan, std::string session_text,
                       MainScreen& screen, OperatorState& state, ProcessEnd& process_end,
                       const Say& say);

// A replay of a log with a journal beside it: each entry goes to the outputs as the record it
// stands at is drawn, each mark to the mark row. A journal that cannot be read, or lines of it
// that are no entry, are said once; the replay goes on with what could be read.
void show_replayed_journal(RunJournal& journal, const RunPlan& plan, MainScreen& screen,
                           const Say& say);

}  // namespace stillmon
