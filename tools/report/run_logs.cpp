#include "report/run_logs.h"

#include <filesystem>
#include <system_error>

#include "logging/journal_file.h"

namespace stillmon::report {

namespace {

bool exists(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::exists(path, ignored);
}

}  // namespace

RunLogs run_logs_named(const std::string& name) {
    const bool has_ending = name.ends_with(".dat") || name.ends_with(".bin");
    const std::string run = has_ending ? name.substr(0, name.size() - 4) : name;
    RunLogs logs;
    if (exists(run + ".bin")) {
        logs.binary = run + ".bin";
    }
    logs.text = run + ".dat";
    if (!has_ending && logs.binary.empty() && !exists(logs.text) && exists(name)) {
        logs.text = name;
    }
    return logs;
}

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

std::vector<JournalEntry> read_journal_beside(const RunLogs& logs, std::ostream& errors) {
    const std::string path = journal_path(logs.text);
    JournalReading reading = read_journal(path);
    if (!reading.unreadable.empty()) {
        errors << "stillmon-report: cannot read " << path << ": " << reading.unreadable << '\n';
        return {};
    }
    if (reading.damaged_lines > 0) {
        errors << "stillmon-report: " << path << ": " << reading.damaged_lines << " damaged line"
               << (reading.damaged_lines == 1 ? "" : "s") << " skipped\n";
    }
    return std::move(reading.entries);
}

}  // namespace stillmon::report
