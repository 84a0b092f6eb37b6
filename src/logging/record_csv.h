#pragma once

#include <string>
#include <string_view>

#include "base/cycle_record.h"

namespace stillmon {

// A run's records as CSV for a spreadsheet (RFC 4180): the header row, then one row per
// record, CR LF line ends, UTF-8. Numbers are the shortest text that reads back as the same
// value, with a "." decimal point whatever the locale; a value the record does not have (the
// stages when the strengths failed their test, the reflux ratio outside the cycle that ended
// a ratio period) is an empty field. The last field is text the record does not hold: the
// operator's marks standing at it, as the caller gives them (empty when none).
//   record,device_time,interval_s,tank_c,first_stage_c,second_stage_c,steam_c,top_he_c,
//   centre_c,bottom_he_c,out_water_c,proof,liquid_strength_pct,vapour_strength_pct,
//   whole_stages,stages,valve,flow,reflux_ratio,mark
std::string_view record_csv_header();
void append_record_csv_row(std::string& out, const CycleRecord& record, std::string_view mark);

// One text field of UTF-8 text: enclosed in double quotes (inner ones doubled) when it holds a
// comma, a quote or a line break.
void append_csv_field(std::string& out, std::string_view utf8);
// The same of a Latin-1 text (a logged one), each byte read as Latin-1 (base/latin1_text.h).
void append_csv_text(std::string& out, std::string_view text);

// Spreadsheets take a cell that begins with = + - or @ as a formula, and a ' in front as the
// sign of a text, which they do not show: a text that begins with one of these five is stored
// behind a ' of its own, so that it shows as it is and never runs.
bool needs_text_sign(std::string_view text);

}  // namespace stillmon
