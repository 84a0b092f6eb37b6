#include "report/run_comparison.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>

#include "base/latin1_text.h"
#include "base/logged_clock.h"
#include "base/shortest_number.h"
#include "logging/journal_file.h"
#include "logging/journal_placement.h"
#include "logging/log_line_reader.h"
#include "logging/record_csv.h"
#include "report/binary_log_records.h"
#include "report/run_logs.h"
#include "report/text_log_records.h"
#include "web/compare_page.h"

namespace stillmon::report {

namespace {

constexpr std::size_t csv_block_bytes = 1 << 16;
constexpr std::uint64_t named_damaged_pieces = 10;

// An output that would replace what a run is read from is refused before anything is read.
bool replaces_an_input(const ComparisonFiles& files, std::ostream& errors) {
    for (const std::string& run : files.runs) {
        const RunLogs logs = run_logs_named(run);
        for (const std::string& input : {logs.binary, logs.text, journal_path(logs.text)}) {
            for (const std::string* output : {&files.html, &files.csv}) {
                if (!input.empty() && !output->empty() && names_same_file(*output, input)) {
                    errors << "stillmon-report: " << *output << " is " << input
                           << ", read for the comparison; name another file" << std::endl;
                    return true;
                }
            }
        }
    }
    return false;
}

std::unique_ptr<LoggedRecords> open_records(const RunLogs& logs, std::ostream& errors) {
    const std::string& log = logs.binary.empty() ? logs.text : logs.binary;
    int reason = 0;
    std::FILE* stream = open_log_stream(log, reason);
    if (stream == nullptr) {
        report_error(errors, "read", log, reason);
        return nullptr;
    }
    if (logs.binary.empty()) {
        return std::make_unique<TextLogRecords>(stream);
    }
    int ignored = 0;
    return std::make_unique<BinaryLogRecords>(stream, open_log_stream(logs.text, ignored));
}

struct SessionOfRun {
    std::string run;
    std::size_t session = 1;
};

// "Run3@2": the second session of the log of Run3; "Run3": its first. A log that is named so
// itself is that log.
SessionOfRun session_named(const std::string& name) {
    const std::size_t at = name.rfind('@');
    std::error_code ignored;
    if (at == std::string::npos || std::filesystem::exists(run_logs_named(name).text, ignored) ||
        at + 1 == name.size() ||
        name.find_first_not_of("0123456789", at + 1) != std::string::npos) {
        return {name};
    }
    const std::size_t session = std::strtoul(name.c_str() + at + 1, nullptr, 10);
    return {name.substr(0, at), std::max<std::size_t>(session, 1)};
}

// The run's session (its log's first unless named): its records' channels and seconds, its
// marks and the stretches between them. False when its log cannot be read, or it has no such
// session.
bool read_run(const std::string& name, const ComparisonFiles& files, ComparedRun& run,
              std::ostream& errors) {
    const SessionOfRun wanted = session_named(name);
    const RunLogs logs = run_logs_named(wanted.run);
    const std::string& log = logs.binary.empty() ? logs.text : logs.binary;
    const std::unique_ptr<LoggedRecords> records = open_records(logs, errors);
    if (!records) {
        return false;
    }
    run.name = name;
    run.values.resize(files.channels.size());
    run.stretches = StretchStatistics(files.channels.size());
    JournalPlacement placement(read_journal_beside(logs, errors));
    LoggedClock clock;
    std::optional<double> first_s;
    std::vector<double> values(files.channels.size());
    std::uint64_t skipped = 0;
    std::size_t sessions = 0;
    while (const auto step = records->next()) {
        if (!step->record) {
            if (++skipped <= named_damaged_pieces) {
                errors << "stillmon-report: " << log << ' ' << step->skipped << '\n';
            }
            continue;
        }
        const CycleRecord& record = *step->record;
        const auto place = placement.next(record.record_number, step->starts_session);
        sessions += place.starts_session ? 1 : 0;
        if (sessions > wanted.session) {
            break;  // the log's next session: another run of the column
        }
        if (wanted.session > 1 && sessions < wanted.session) {
            continue;
        }
        clock.advance(record);
        first_s = first_s.value_or(clock.now_s());
        const double seconds = clock.now_s() - *first_s;
        for (const JournalEntry& entry : place.entries) {
            if (entry.kind == JournalKind::mark) {
                run.marks.push_back({entry.text, seconds});
                run.stretches.begin_stretch();
            }
        }
        run.seconds.push_back(seconds);
        for (std::size_t c = 0; c < files.channels.size(); ++c) {
            values[c] = files.channels[c].value(record);
            run.values[c].push_back(values[c]);
        }
        run.stretches.add(values);
    }
    if (records->read_error() != 0) {
        report_error(errors, "read", log, records->read_error());
        return false;
    }
    if (skipped > named_damaged_pieces) {
        errors << "stillmon-report: " << log << ": " << skipped - named_damaged_pieces
               << " more damaged pieces skipped\n";
    }
    if (wanted.session > 1 && sessions < wanted.session) {
        errors << "stillmon-report: " << log << " holds " << sessions << " session"
               << (sessions == 1 ? "" : "s") << ", not " << wanted.session << std::endl;
        return false;
    }
    if (run.seconds.empty()) {
        errors << "stillmon-report: found no records in " << log << '\n';
    }
    run.duration_s = run.seconds.empty() ? 0.0 : run.seconds.back();
    if (files.align != "start") {
        const auto mark =
            std::find_if(run.marks.begin(), run.marks.end(), [&](const ComparedMark& m) {
                return utf8_from_latin1(m.text) == files.align;  // the command line's is UTF-8
            });
        if (mark == run.marks.end()) {
            run.alignment_note = name + " has no mark " + files.align + ": aligned on its start";
            errors << "stillmon-report: " << run.alignment_note << '\n';
        } else {
            run.aligned_at_s = mark->from_start_s;
        }
    }
    return true;
}

void write_csv(WholeOutput& csv, const ComparisonFiles& files,
               const std::vector<ComparedRun>& runs) {
    std::string block = "run,seconds";
    for (const RecordChannel& channel : files.channels) {
        block += ',';
        block += channel.name;
    }
    block += "\r\n";
    for (const ComparedRun& run : runs) {
        for (std::size_t at = 0; at < run.seconds.size(); ++at) {
            // The run's name as given (UTF-8), never taken for a formula.
            append_csv_field(block, needs_text_sign(run.name) ? "'" + run.name : run.name);
            block += ',';
            append_shortest_number(block,
                                   std::round((run.seconds[at] - run.aligned_at_s) * 1000) / 1000);
            for (const std::vector<double>& values : run.values) {
                block += ',';
                append_shortest_number(block, static_cast<float>(values[at]));
            }
            block += "\r\n";
            if (block.size() >= csv_block_bytes) {
                csv.write(block);
                block.clear();
            }
        }
    }
    csv.write(block);
}

}  // namespace

int write_run_comparison(const ComparisonFiles& files, TemporaryOutputs& temporaries,
                         std::ostream& console, std::ostream& errors) {
    if (!files.csv.empty() && names_same_file(files.html, files.csv)) {
        errors << "stillmon-report: --out and --csv both name " << files.csv << "; name two files"
               << std::endl;
        return 2;
    }
    if (replaces_an_input(files, errors)) {
        return 1;
    }
    std::vector<ComparedRun> runs(files.runs.size());
    for (std::size_t r = 0; r < runs.size(); ++r) {
        if (!read_run(files.runs[r], files, runs[r], errors)) {
            return 1;
        }
    }
    WholeOutput html(files.html, temporaries, errors);
    std::optional<WholeOutput> csv;
    if (!files.csv.empty()) {
        csv.emplace(files.csv, temporaries, errors);
    }
    if (!html.ok() || (csv && !csv->ok())) {
        return 1;
    }
    if (csv) {
        write_csv(*csv, files, runs);
        if (!csv->finish()) {
            return 1;
        }
    }
    std::vector<ComparedChannel> channels;
    for (const RecordChannel& channel : files.channels) {
        channels.push_back({std::string(channel.name), std::string(channel.title)});
    }
    html.write(compare_page_html(files.align, channels, runs));
    if (!html.finish()) {
        return 1;
    }
    std::string failed_target;
    int reason = 0;
    if (!temporaries.move_all_into_place(failed_target, reason)) {
        report_error(errors, "write", failed_target, reason);
        return 1;
    }
    console << "stillmon-report: compared";
    for (const ComparedRun& run : runs) {
        console << ' ' << run.name << " (" << run.seconds.size() << " records)";
    }
    console << "; wrote " << files.html << (csv ? " and " + files.csv : "") << std::endl;
    return 0;
}

}  // namespace stillmon::report
