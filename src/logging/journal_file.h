#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/journal_entry.h"
#include "logging/log_file.h"

namespace stillmon {

// A run's journal beside its logs (Run3.journal.csv beside Run3.dat), appended as the logs are,
// each line whole on the disk when write() returns. A new or empty file starts with the header
//   device_time,record,wall_time,kind,text
// then one line an entry, CR LF ended (RFC 4180, UTF-8):
//   14:30:45_7,1234,2026-12-09T14:30:46+01:00,mark,hearts
// A text that begins with = + - @ or ' is stored behind a ' so that a spreadsheet shows it as
// the text it is, never as a formula; reading takes the ' off again.
class JournalFile {
  public:
    JournalFile(std::string path, Say report_error);

    void write(const JournalEntry& entry);

  private:
    LogFile file_;
};

// "Run3.journal.csv" for the text log "Run3.dat".
std::string journal_path(std::string_view text_log_path);

// Why `text` cannot be stored as a mark's text (it holds a control character), or nothing.
// Entries whose text was not typed (a session's options) have theirs replaced by '?' instead.
std::optional<std::string> journal_text_fault(std::string_view text);

// The text as the journal stores it (before CSV quoting): behind a ' when it begins with
// = + - @ or ', its control characters as '?'. The report's CSV stores mark texts so too.
std::string journal_stored_text(std::string_view text);

// One line, without its line end.
std::string journal_csv_line(const JournalEntry& entry);

struct JournalReading {
    std::vector<JournalEntry> entries;  // in the file's order, as far as it was read
    int damaged_lines = 0;              // lines that are no entry (not counting the header)
    // Why it could not be read (through), in the system's words; empty when it was, or when
    // there is no journal at all.
    std::string unreadable;
};

// Reads the journal at `path` through. Anything but a plain file or a folder (a FIFO, a
// device) is not opened: a FIFO without a writer would keep the replay or the report waiting
// for ever.
JournalReading read_journal(const std::string& path);

}  // namespace stillmon
