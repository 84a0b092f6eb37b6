#include "report/run_logs.h"

#include <filesystem>
#include <system_error>

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

}  // namespace stillmon::report
