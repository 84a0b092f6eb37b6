#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace stillmon {

// What a run's journal holds beside its records: the operator's marks, and where each run that
// appended to the logs began and ended.
enum class JournalKind { mark, session_start, session_end };

// "mark", "session-start", "session-end": the names the journal file stores.
std::string_view journal_kind_name(JournalKind kind);
std::optional<JournalKind> journal_kind_named(std::string_view name);

// One line of the journal. The record is the latest one drawn when the entry was made: a mark
// stands at the record the operator saw; a session's start has none yet (record 0, no device
// time), its end the last one.
struct JournalEntry {
    std::string device_time;          // the record's, as logged: "HH:MM:SS_n"; empty before one
    std::uint16_t record_number = 0;  // the record's number, 0 before the first
    std::string wall_time;            // ISO 8601 with the offset from UTC
    JournalKind kind = JournalKind::mark;
    // Latin-1, as the window shows it. A mark's text as typed ("mark" when nothing was); a
    // session start's "stillmon VERSION OPTIONS..."; a session end's "exit status N".
    std::string text;
};

// The text of a mark with nothing typed.
inline constexpr std::string_view untitled_mark = "mark";

}  // namespace stillmon
