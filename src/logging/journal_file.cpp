#include "logging/journal_file.h"

#include <charconv>
#include <filesystem>
#include <system_error>

#include "base/latin1_text.h"
#include "logging/log_line_reader.h"
#include "logging/record_csv.h"

namespace stillmon {

namespace {

constexpr std::string_view header = "device_time,record,wall_time,kind,text";

bool is_control(unsigned char c) {
    return c < 0x20 || (c >= 0x7F && c < 0xA0);
}

// Splits a line into its fields; a field in double quotes may hold commas and doubled quotes.
// Nothing when the quoting is broken.
std::optional<std::vector<std::string>> csv_fields(std::string_view line) {
    std::vector<std::string> fields(1);
    std::size_t i = 0;
    while (i <= line.size()) {
        std::string& field = fields.back();
        if (i < line.size() && line[i] == '"') {
            ++i;
            for (;; ++i) {
                if (i >= line.size()) {
                    return std::nullopt;
                }
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        field += '"';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += line[i];
            }
        } else {
            const std::size_t comma = std::min(line.find(',', i), line.size());
            field.append(line.substr(i, comma - i));
            i = comma;
        }
        if (i == line.size()) {
            return fields;
        }
        if (line[i] != ',') {
            return std::nullopt;
        }
        fields.emplace_back();
        ++i;
    }
    return fields;
}

std::optional<JournalEntry> entry_from_line(std::string_view line) {
    const auto fields = csv_fields(line);
    if (!fields || fields->size() != 5) {
        return std::nullopt;
    }
    JournalEntry entry;
    const std::string& record = (*fields)[1];
    const auto [end, error] =
        std::from_chars(record.data(), record.data() + record.size(), entry.record_number);
    const auto kind = journal_kind_named((*fields)[3]);
    if (error != std::errc{} || end != record.data() + record.size() || !kind) {
        return std::nullopt;
    }
    entry.device_time = (*fields)[0];
    entry.wall_time = (*fields)[2];
    entry.kind = *kind;
    std::string_view text = (*fields)[4];
    if (text.starts_with('\'')) {
        text.remove_prefix(1);
    }
    entry.text = latin1_from_utf8(text);
    return entry;
}

}  // namespace

JournalFile::JournalFile(std::string path, Say report_error)
    : file_(std::move(path), std::move(report_error)) {
    if (file_.opened_empty()) {
        file_.append(std::string(header) + "\r\n");
    }
}

void JournalFile::write(const JournalEntry& entry) {
    file_.append(journal_csv_line(entry) + "\r\n");
}

std::string journal_path(std::string_view text_log_path) {
    std::string_view base = text_log_path;
    if (base.ends_with(".dat")) {
        base.remove_suffix(4);
    }
    return std::string(base) + ".journal.csv";
}

std::optional<std::string> journal_text_fault(std::string_view text) {
    for (const char c : text) {
        if (is_control(static_cast<unsigned char>(c))) {
            return "a mark's text cannot hold control characters";
        }
    }
    return std::nullopt;
}

std::string journal_stored_text(std::string_view text) {
    std::string stored = needs_text_sign(text) ? "'" : "";
    stored += text;
    for (char& c : stored) {
        if (is_control(static_cast<unsigned char>(c))) {
            c = '?';
        }
    }
    return stored;
}

std::string journal_csv_line(const JournalEntry& entry) {
    const std::string text = journal_stored_text(entry.text);
    std::string line;
    append_csv_text(line, entry.device_time);
    line += ',' + std::to_string(entry.record_number) + ',';
    append_csv_text(line, entry.wall_time);
    line += ',';
    line += journal_kind_name(entry.kind);
    line += ',';
    append_csv_text(line, text);
    return line;
}

JournalReading read_journal(const std::string& path) {
    JournalReading reading;
    std::error_code error;
    const auto type = std::filesystem::status(path, error).type();
    if (type == std::filesystem::file_type::not_found) {
        return reading;
    }
    if (!error && type != std::filesystem::file_type::regular &&
        type != std::filesystem::file_type::directory) {
        reading.unreadable = "not a plain file";
        return reading;
    }
    int open_error = 0;
    std::FILE* stream = open_log_stream(path, open_error);
    if (stream == nullptr) {
        reading.unreadable = std::generic_category().message(open_error);
        return reading;
    }
    LogLineReader reader(stream);
    while (const auto line = reader.next()) {
        if (line->number == 1 && line->text == header) {
            continue;
        }
        if (auto entry = entry_from_line(line->text)) {
            reading.entries.push_back(std::move(*entry));
        } else {
            ++reading.damaged_lines;
        }
    }
    if (reader.read_error() != 0) {
        reading.unreadable = std::generic_category().message(reader.read_error());
    }
    return reading;
}

}  // namespace stillmon
