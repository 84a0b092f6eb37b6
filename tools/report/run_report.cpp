#include "report/run_report.h"

#include <cerrno>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "logging/alarm_events_file.h"
#include "logging/journal_file.h"
#include "logging/log_line_reader.h"
#include "logging/record_csv.h"
#include "report/alarm_history.h"
#include "report/binary_log_records.h"
#include "report/run_logs.h"
#include "report/text_log_records.h"
#include "web/report_page.h"

namespace stillmon::report {

namespace {

// CSV rows go out in blocks of about this size: the file is written as the log is read.
constexpr std::size_t csv_block_bytes = 1 << 16;

// A damaged log can have millions of damaged pieces: these are named one by one, the rest
// only counted.
constexpr std::uint64_t named_damaged_pieces = 10;

// An output that would replace a log is refused before anything is written.
bool is_a_log(const std::string& output, const RunLogs& logs, std::ostream& errors) {
    for (const std::string& log : {logs.binary, logs.text}) {
        if (!log.empty() && names_same_file(output, log)) {
            errors << "stillmon-report: " << output << " is the log " << log
                   << " itself; name another file" << std::endl;
            return true;
        }
    }
    return false;
}

std::string file_name(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

// The log the records came from, as the summary and the console line say it.
std::string read_from(const RunLogs& logs, const BinaryLogRecords* binary, bool text_opened,
                      std::uint64_t records) {
    if (binary == nullptr) {
        return file_name(logs.text) + " (a text log alone: no valve or flow)";
    }
    std::string text = file_name(logs.binary);
    if (binary->paired() == 0) {
        return text + " (no intervals or proof: " +
               (text_opened ? file_name(logs.text) + " has no line of its records"
                            : "no readable " + file_name(logs.text) + " beside it") +
               ")";
    }
    text += ", with the intervals and proof of " + file_name(logs.text);
    if (const std::uint64_t unpaired = records - binary->paired(); unpaired > 0) {
        text += " (" + std::to_string(unpaired) + " of its records have no line there)";
    }
    return text;
}

// The records a live run's events file names, into `logged`; nothing there when the log has
// none. False when it cannot be read, which `errors` names.
bool read_events_file(const std::string& path, std::optional<AlarmEventRecords>& logged,
                      std::ostream& errors) {
    int reason = 0;
    std::FILE* stream = open_log_stream(path, reason);
    if (stream != nullptr) {
        logged = read_alarm_event_records(stream, reason);
    }
    if (reason != 0 && reason != ENOENT) {
        report_error(errors, "read", path, reason);
        return false;
    }
    return true;
}

// The CSV's mark field: the texts of the marks among `entries`, each as the journal stores it
// (a formula's first sign behind a '), joined by "; ".
std::string marks_field(const std::vector<JournalEntry>& entries) {
    std::string field;
    for (const JournalEntry& entry : entries) {
        if (entry.kind == JournalKind::mark) {
            field += (field.empty() ? "" : "; ") + journal_stored_text(entry.text);
        }
    }
    return field;
}

}  // namespace

std::string default_report_path(const std::string& log) {
    std::filesystem::path path(log);
    if (path.extension() == ".html") {
        return log + ".html";
    }
    return path.replace_extension(".html").string();
}

int write_run_report(ReportFiles files, TemporaryOutputs& temporaries, std::ostream& console,
                     std::ostream& errors) {
    const RunLogs logs = run_logs_named(files.run);
    const std::string& log = logs.binary.empty() ? logs.text : logs.binary;
    if (files.html.empty()) {
        files.html = default_report_path(log);
    }
    if (!files.csv.empty() && names_same_file(files.html, files.csv)) {
        errors << "stillmon-report: --out and --csv both name " << files.csv << "; name two files"
               << std::endl;
        return 2;
    }
    int reason = 0;
    std::FILE* log_stream = open_log_stream(log, reason);
    if (log_stream == nullptr) {
        report_error(errors, "read", log, reason);
        return 1;
    }
    std::vector<JournalEntry> journal = read_journal_beside(logs, errors);
    std::unique_ptr<LoggedRecords> records;
    BinaryLogRecords* binary = nullptr;
    bool text_opened = false;
    if (logs.binary.empty()) {
        records = std::make_unique<TextLogRecords>(log_stream, std::move(journal));
    } else {
        // Without a readable text log the records lack only their intervals and proof.
        int ignored = 0;
        std::FILE* text_stream = open_log_stream(logs.text, ignored);
        text_opened = text_stream != nullptr;
        auto both = std::make_unique<BinaryLogRecords>(log_stream, text_stream, std::move(journal));
        binary = both.get();
        records = std::move(both);
    }
    if (is_a_log(files.html, logs, errors) ||
        (!files.csv.empty() && is_a_log(files.csv, logs, errors))) {
        return 1;
    }
    // Both outputs are opened before the log is read, so that a place that cannot be written
    // is named at once.
    WholeOutput html(files.html, temporaries, errors);
    if (!html.ok()) {
        return 1;
    }
    std::optional<WholeOutput> csv;
    std::string csv_block;
    if (!files.csv.empty()) {
        csv.emplace(files.csv, temporaries, errors);
        if (!csv->ok()) {
            return 1;
        }
        csv_block = record_csv_header();
    }

    std::optional<AlarmHistory> alarms;
    if (files.alarms != nullptr) {
        std::optional<AlarmEventRecords> logged;
        if (!read_events_file(alarm_events_path(logs.text), logged, errors)) {
            return 1;
        }
        alarms.emplace(*files.alarms, std::move(logged));
    }
    ReportPage page({file_name(log), {}, binary != nullptr});
    while (const auto step = records->next()) {
        if (!step->record) {
            page.count_skipped_line();
            if (page.summary().skipped_lines() <= named_damaged_pieces) {
                errors << "stillmon-report: " << log << ' ' << step->skipped << '\n';
            }
            continue;
        }
        const std::uint64_t index = page.add(*step->record, step->starts_session);
        page.add_journal_entries(*step->record, step->journal);
        if (alarms) {
            alarms->add(*step->record, index, step->starts_session);
        }
        if (csv) {
            append_record_csv_row(csv_block, *step->record, marks_field(step->journal));
            if (csv_block.size() >= csv_block_bytes) {
                csv->write(csv_block);
                csv_block.clear();
            }
        }
    }
    if (records->read_error() != 0) {
        report_error(errors, "read", log, records->read_error());
        return 1;
    }
    const std::uint64_t skipped = page.summary().skipped_lines();
    const std::string_view damaged = binary != nullptr ? "damaged stretch" : "damaged line";
    const std::string_view plural = binary != nullptr ? "es" : "s";
    if (skipped > named_damaged_pieces) {
        errors << "stillmon-report: " << log << ": " << skipped - named_damaged_pieces << " more "
               << damaged << plural << " skipped\n";
    }
    const std::uint64_t count = page.summary().records();
    const std::string source = read_from(logs, binary, text_opened, count);
    page.set_read_from(source);
    page.add_unplaced_journal_entries(records->unplaced_journal_entries());
    if (alarms) {
        alarms->finish();
        page.show_alarms(alarms->alarms(), alarms->sessions());
    }
    if (csv) {
        csv->write(csv_block);
        if (!csv->finish()) {
            return 1;
        }
    }
    html.write(page.html());
    if (!html.finish()) {
        return 1;
    }
    std::string failed_target;
    if (!temporaries.move_all_into_place(failed_target, reason)) {
        report_error(errors, "write", failed_target, reason);
        return 1;
    }

    if (count == 0) {
        errors << "stillmon-report: found no records in " << log << std::endl;
    }
    console << "stillmon-report: read from " << source << ": " << count << " records, " << skipped
            << ' ' << damaged << (skipped == 1 ? "" : plural) << " skipped; wrote " << files.html;
    if (csv) {
        console << " and " << files.csv;
    }
    console << std::endl;
    return 0;
}

}  // namespace stillmon::report
