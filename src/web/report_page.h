#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/cycle_record.h"
#include "base/journal_entry.h"
#include "web/run_summary.h"

namespace stillmon {

// The log a report read, as its title and summary name it.
struct ReportSource {
    std::string log_name;   // "Run3.bin"
    std::string read_from;  // "Run3.bin, with the intervals and proof of Run3.dat"
    // What its damage is counted in: a text log's lines, or a binary log's stretches.
    bool binary = false;
};

// A record of the report where an alarm changed: `index` places it on the charts.
struct AlarmMoment {
    std::uint64_t index = 0;
    std::uint16_t record_number = 0;
    std::string device_time;
    std::optional<double> value;
};

struct AlarmFiring {
    std::size_t session = 0;  // from 1, as the sessions table counts them
    AlarmMoment fired;
    std::optional<AlarmMoment> cleared;  // nothing: it was firing when its session ended
    double duration_s = 0.0;             // until it cleared, or until the session's last record
};

// One alarm of the configuration and every time it fired in the run.
struct ReportedAlarm {
    std::string name;
    std::string condition;  // "steam above 80 for 30 s, clears at 78; warning"
    std::vector<AlarmFiring> firings;
};

// A journal entry as the report lists it. One the log holds the record of carries that record's
// number and device time, whatever the entry says (a session's start says none).
struct ListedJournalEntry {
    JournalEntry entry;
    std::optional<std::uint64_t> index;  // on the charts; nothing: not found in the log
    std::size_t session = 0;             // from 1; 0 when not found
};

// Whether a session's alarms were evaluated, and what says so.
enum class SessionAlarms {
    logged,        // the events file beside the log holds alarm changes of the session
    what_if,       // no events file: the configuration was evaluated over every session
    not_evaluated  // the events file holds none of the session's: its run had no alarms
};

// The report of a saved run, built record by record: one HTML page that needs nothing beside
// it and no network. It shows the run's summary as a table and draws the live page's charts
// over the whole run, with the same chart script, styles and Chart.js, from the records
// inlined in the page as compact rows (record_json.h), which is all the memory it keeps.
// It lists the runs' sessions of the log and marks where each after the first began; with
// the log's journal it lists the journal's entries and marks the operator's marks on the
// charts; with alarms to show it also lists each alarm's firings and marks them there.
class ReportPage {
  public:
    explicit ReportPage(ReportSource source) : source_(std::move(source)) {}

    // Returns the record's index on the charts.
    std::uint64_t add(const CycleRecord& record, bool starts_session);
    void count_skipped_line() { summary_.count_skipped_line(); }
    // Journal entries that stand at `record`, the record added last.
    void add_journal_entries(const CycleRecord& record, const std::vector<JournalEntry>& entries);
    // Once the whole log is read, the journal's entries it holds no record of.
    void add_unplaced_journal_entries(const std::vector<JournalEntry>& entries);
    // Once the whole log is read, what the summary's "Read from" says.
    void set_read_from(std::string text) { source_.read_from = std::move(text); }
    // `sessions`: one entry per session of the summary.
    void show_alarms(std::vector<ReportedAlarm> alarms, std::vector<SessionAlarms> sessions) {
        alarms_ = std::move(alarms);
        session_alarms_ = std::move(sessions);
    }
    const RunSummary& summary() const { return summary_; }
    std::string html() const;

  private:
    ReportSource source_;
    RunSummary summary_;
    std::string rows_;  // the JSON rows so far, comma-separated
    std::vector<ListedJournalEntry> journal_;
    std::optional<std::vector<ReportedAlarm>> alarms_;
    std::vector<SessionAlarms> session_alarms_;
};

}  // namespace stillmon
