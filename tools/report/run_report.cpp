#include "report/run_report.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>

#include "app/replay_derivation.h"
#include "base/operator_state.h"
#include "logging/record_csv.h"
#include "logging/text_log_reader.h"
#include "web/report_page.h"

namespace stillmon::report {

namespace {

// CSV rows go out in blocks of about this size: the file is written as the log is read.
constexpr std::size_t csv_block_bytes = 1 << 16;

void report_error(std::ostream& errors, std::string_view what, const std::string& path,
                  int reason) {
    errors << "stillmon-report: cannot " << what << ' ' << path << ": "
           << std::generic_category().message(reason) << std::endl;
}

// An output that would replace the log itself is refused before anything is written.
bool is_the_log(const std::string& output, const std::string& log, std::ostream& errors) {
    std::error_code ignored;
    if (!std::filesystem::equivalent(output, log, ignored)) {
        return false;
    }
    errors << "stillmon-report: " << output << " is the log itself; name another file" << std::endl;
    return true;
}

// A file written whole or not at all: one that fails, or is left before it is finished (the
// run ended early), is removed; only a plain file, so that an output such as /dev/stdout
// stays where it is. A failure is named on `errors`.
class OutputFile {
  public:
    OutputFile(const std::string& path, std::ostream& errors)
        : path_(path), errors_(errors), file_(std::fopen(path.c_str(), "wb")) {
        if (file_ == nullptr) {
            report_error(errors_, "write", path_, errno);
        }
    }
    ~OutputFile() { discard(); }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool ok() const { return file_ != nullptr; }

    void write(std::string_view bytes) {
        if (file_ != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
            report_error(errors_, "write", path_, errno);
            discard();
        }
    }

    // True when the whole file is written.
    bool finish() {
        if (file_ == nullptr) {
            return false;
        }
        if (std::fclose(std::exchange(file_, nullptr)) != 0) {
            report_error(errors_, "write", path_, errno);
            remove_plain_file();
            return false;
        }
        return true;
    }

  private:
    void discard() {
        if (file_ != nullptr) {
            std::fclose(std::exchange(file_, nullptr));
            remove_plain_file();
        }
    }

    void remove_plain_file() {
        std::error_code ignored;
        if (std::filesystem::is_regular_file(path_, ignored)) {
            std::filesystem::remove(path_, ignored);
        }
    }

    std::string path_;
    std::ostream& errors_;
    std::FILE* file_;
};

}  // namespace

std::string default_report_path(const std::string& log) {
    std::filesystem::path path(log);
    if (path.extension() == ".html") {
        return log + ".html";
    }
    return path.replace_extension(".html").string();
}

int write_run_report(const ReportFiles& files, std::ostream& console, std::ostream& errors) {
    int reason = 0;
    const std::unique_ptr<TextLogReader> log = open_text_log(files.log, reason);
    if (!log) {
        report_error(errors, "read", files.log, reason);
        return 1;
    }
    if (is_the_log(files.html, files.log, errors) ||
        (!files.csv.empty() && is_the_log(files.csv, files.log, errors))) {
        return 1;
    }
    // Both outputs are opened before the log is read, so that a place that cannot be written
    // is named at once.
    OutputFile html(files.html, errors);
    if (!html.ok()) {
        return 1;
    }
    std::optional<OutputFile> csv;
    std::string csv_block;
    if (!files.csv.empty()) {
        csv.emplace(files.csv, errors);
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
    while (const auto replayed = derivation.next(*log, parameters)) {
        page.add(replayed->record);
        if (csv) {
            append_record_csv_row(csv_block, replayed->record);
            if (csv_block.size() >= csv_block_bytes) {
                csv->write(csv_block);
                csv_block.clear();
            }
        }
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
    const std::uint64_t records = page.summary().records();
    if (records == 0) {
        errors << "stillmon-report: found no records in " << files.log << std::endl;
    }
    console << "stillmon-report: " << records << " records; wrote " << files.html;
    if (csv) {
        console << " and " << files.csv;
    }
    console << std::endl;
    return 0;
}

}  // namespace stillmon::report
