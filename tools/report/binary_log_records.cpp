#include "report/binary_log_records.h"

#include <limits>
#include <string>
#include <utility>

#include "logging/log_lines.h"

namespace stillmon::report {

BinaryLogRecords::BinaryLogRecords(std::FILE* binary_log, std::FILE* text_log,
                                   std::vector<JournalEntry> journal)
    : reader_(binary_log), cycles_(std::move(journal)) {
    if (text_log != nullptr) {
        pairing_.emplace(text_log);
    }
}

std::optional<LoggedStep> BinaryLogRecords::next() {
    const auto piece = reader_.next();
    if (!piece) {
        return std::nullopt;
    }
    if (!piece->frame) {
        return LoggedStep{std::nullopt, "byte " + std::to_string(piece->offset) + " skipped (" +
                                            std::to_string(piece->length) +
                                            " bytes): " + std::string(piece->fault)};
    }
    const TelemetryFrame& frame = *piece->frame;
    std::optional<TextLogValues> logged;
    if (pairing_) {
        logged = pairing_->values_of(frame.record_number(), compose_device_time_text(frame));
    }
    constexpr double unknown = std::numeric_limits<double>::quiet_NaN();
    paired_ += logged ? 1 : 0;
    CycleRecord record = cycles_.from_frame(frame, logged ? logged->interval_s : unknown,
                                            logged ? logged->proof : unknown);
    return LoggedStep{
        std::move(record), {}, cycles_.session_started(), cycles_.take_journal_entries()};
}

}  // namespace stillmon::report
