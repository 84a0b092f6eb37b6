#include "startup/run_journal.h"

#include <chrono>

#include "logging/journal_file.h"
#include "logging/run_sessions.h"
#include "system/wall_clock.h"

namespace stillmon {

namespace {

std::string wall_time_now() {
    return iso8601_local_time(std::chrono::system_clock::now());
}

void show_marks(RunJournal& journal, MainScreen& screen) {
    MarkRow& row = journal.row.emplace(screen.surface);
    CycleOutputs& outputs = screen.host.outputs();
    outputs.on_each_cycle([&row](const CycleRecord&, double) { row.cycle_drawn(); });
    outputs.on_each_journal_entry([&row](const JournalEntry& entry) { row.take(entry); });
}

}  // namespace

void keep_live_journal(RunJournal& journal, const RunPlan& plan, std::string session_text,
                       MainScreen& screen, OperatorState& state, ProcessEnd& process_end,
                       const Say& say) {
    show_marks(journal, screen);
    LiveJournal& file = journal.file.emplace(journal_path(plan.text_log_name), say, wall_time_now);
    CycleOutputs& outputs = screen.host.outputs();
    outputs.on_each_cycle(
        [&file](const CycleRecord& record, double) { file.record_drawn(record); });
    outputs.on_each_journal_entry([&file](const JournalEntry& entry) { file.write(entry); });
    process_end.before_logs_close([&file](int status) { file.end(status); });
    screen.host.start_taking_marks(say, wall_time_now);
    state.marks_configured.store(true);
    outputs.journal_entry_made(
        {{}, 0, wall_time_now(), JournalKind::session_start, std::move(session_text)});
}

void show_replayed_journal(RunJournal& journal, const RunPlan& plan, MainScreen& screen,
                           const Say& say) {
    const std::string path = journal_path(plan.text_log_name);
    JournalReading reading = read_journal(path);
    if (!reading.unreadable.empty()) {
        say("stillmon: cannot read the journal " + path + ": " + reading.unreadable + "; " +
            std::to_string(reading.entries.size()) + " entries read are shown");
    } else if (reading.damaged_lines > 0) {
        say("stillmon: the journal " + path +
            " has damaged lines, left out: " + std::to_string(reading.damaged_lines));
    }
    show_marks(journal, screen);
    JournalPlacement& placement = journal.replayed.emplace(std::move(reading.entries));
    CycleOutputs& outputs = screen.host.outputs();
    outputs.on_each_cycle([&placement, &outputs, previous = std::optional<std::uint16_t>()](
                              const CycleRecord& record, double) mutable {
        const bool new_session =
            previous && starts_session(*previous, record.record_number, record.interval_s);
        previous = record.record_number;
        for (const JournalEntry& entry :
             placement.next(record.record_number, new_session).entries) {
            outputs.journal_entry_made(entry);
        }
    });
}

}  // namespace stillmon
