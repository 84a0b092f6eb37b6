#include "report/text_log_records.h"

#include <string>
#include <utility>

#include "logging/record_line.h"

namespace stillmon::report {

namespace {

// Why a line holds no whole record, or nothing when it holds one.
std::optional<RecordLine> record_of(const LogLine& line, std::string& fault) {
    if (line.too_long) {
        fault = std::to_string(line.length) + " characters, longer than any record";
        return std::nullopt;
    }
    if (!line.ended) {
        fault = "cut short by the end of the log";
        return std::nullopt;
    }
    return read_record_line(line.text, fault);
}

}  // namespace

std::optional<LoggedStep> TextLogRecords::next() {
    std::string fault;
    while (const auto line = reader_.next()) {
        const auto record = record_of(*line, fault);
        if (!record) {
            return LoggedStep{std::nullopt,
                              "line " + std::to_string(line->number) + " skipped: " + fault};
        }
        if (record->record_number != 0) {
            CycleRecord cycle = cycles_.from_line(*record);
            return LoggedStep{
                std::move(cycle), {}, cycles_.session_started(), cycles_.take_journal_entries()};
        }
    }
    return std::nullopt;
}

}  // namespace stillmon::report
