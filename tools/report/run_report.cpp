#include "report/run_report.h"

#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

#include "base/operator_state.h"
#include "logging/log_line_reader.h"
#include "logging/record_csv.h"
#include "logging/record_line.h"
#include "replay/replay_derivation.h"
#include "web/report_page.h"

namespace stillmon::report {

namespace {

// CSV rows go out in blocks of about this size: the file is written as the log is read.
constexpr std::size_t csv_block_bytes = 1 << 16;

// A damaged log can have millions of damaged lines: these are named one by one, the rest
// only counted.
constexpr std::uint64_t named_skipped_lines = 10;

// Also when the two names are spelled differently, or the file does not exist yet.
bool names_same_file(const std::string& first, const std::string& second) {
    namespace fs = std::filesystem;
    std::error_code reason;
    if (fs::equivalent(first, second, reason)) {
        return true;
    }
    const auto first_path = fs::weakly_canonical(fs::absolute(first, reason), reason);
    if (reason) {
        return false;
    }
    return first_path == fs::weakly_canonical(fs::absolute(second, reason), reason) && !reason;
}

// An output that would replace the log itself is refused before anything is written.
bool is_the_log(const std::string& output, const std::string& log, std::ostream& errors) {
    if (!names_same_file(output, log)) {
        return false;
    }
    errors << "stillmon-report: " << output << " is the log itself; name another file" << std::endl;
    return true;
}

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

std::string default_report_path(const std::string& log) {
    std::filesystem::path path(log);
    if (path.extension() == ".html") {
        return log + ".html";
    }
    return path.replace_extension(".html").string();
}

int write_run_report(const ReportFiles& files, TemporaryOutputs& temporaries, std::ostream& console,
                     std::ostream& errors) {
    if (!files.csv.empty() && names_same_file(files.html, files.csv)) {
        errors << "stillmon-report: --out and --csv both name " << files.csv << "; name two files"
               << std::endl;
        return 2;
    }
    int reason = 0;
    std::FILE* log_stream = open_log_stream(files.log, reason);
    if (log_stream == nullptr) {
        report_error(errors, "read", files.log, reason);
        return 1;
    }
    LogLineReader log(log_stream);
    if (is_the_log(files.html, files.log, errors) ||
        (!files.csv.empty() && is_the_log(files.csv, files.log, errors))) {
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

    TelemetryFrame frame;
    DerivedValues derived;
    ReplayDerivation derivation(frame, derived);
    const OperatorState parameters;
    ReportPage page(std::filesystem::path(files.log).filename().string());
    std::string fault;
    while (const auto line = log.next()) {
        auto record = record_of(*line, fault);
        if (!record) {
            page.count_skipped_line();
            if (page.summary().skipped_lines() <= named_skipped_lines) {
                errors << "stillmon-report: " << files.log << " line " << line->number
                       << " skipped: " << fault << '\n';
            }
            continue;
        }
        // As the replay: a record counted 0 is not shown.
        if (record->record_number == 0) {
            continue;
        }
        const auto replayed =
            derivation.derive(std::move(record->fields), record->record_number, parameters);
        page.add(replayed.record);
        if (csv) {
            append_record_csv_row(csv_block, replayed.record);
            if (csv_block.size() >= csv_block_bytes) {
                csv->write(csv_block);
                csv_block.clear();
            }
        }
    }
    if (log.read_error() != 0) {
        report_error(errors, "read", files.log, log.read_error());
        return 1;
    }
    const std::uint64_t skipped = page.summary().skipped_lines();
    if (skipped > named_skipped_lines) {
        errors << "stillmon-report: " << files.log << ": " << skipped - named_skipped_lines
               << " more damaged lines skipped\n";
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

    const std::uint64_t records = page.summary().records();
    if (records == 0) {
        errors << "stillmon-report: found no records in " << files.log << std::endl;
    }
    console << "stillmon-report: " << records << " records, " << skipped
            << (skipped == 1 ? " damaged line" : " damaged lines") << " skipped; wrote "
            << files.html;
    if (csv) {
        console << " and " << files.csv;
    }
    console << std::endl;
    return 0;
}

}  // namespace stillmon::report
