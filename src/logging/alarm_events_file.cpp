#include "logging/alarm_events_file.h"

#include <charconv>

#include "base/alarm_wording.h"
#include "logging/log_line_reader.h"
#include "logging/record_csv.h"

namespace stillmon {

AlarmEventsFile::AlarmEventsFile(std::string path, Say report_error)
    : file_(std::move(path), std::move(report_error)) {
    if (file_.opened_empty()) {
        file_.append("device_time,record,time,alarm,state,value\r\n");
    }
}

void AlarmEventsFile::write(const AlarmNotice& notice) {
    file_.append(alarm_event_csv_line(notice) + "\r\n");
}

std::string alarm_events_path(std::string_view text_log_path) {
    std::string_view base = text_log_path;
    if (base.ends_with(".dat")) {
        base.remove_suffix(4);
    }
    return std::string(base) + ".events.csv";
}

std::string alarm_event_csv_line(const AlarmNotice& notice) {
    std::string line;
    append_csv_text(line, notice.device_time);
    line += ',' + std::to_string(notice.record_number) + ',';
    append_csv_text(line, notice.time);
    line += ',';
    append_csv_text(line, notice.alarm);
    line += ',';
    append_csv_text(line, notice.state);
    line += ',';
    return line + alarm_figures(notice.value, notice.threshold, notice.above).value;
}

AlarmEventRecords read_alarm_event_records(std::FILE* stream, int& read_error) {
    AlarmEventRecords records;
    LogLineReader reader(stream);
    while (const auto line = reader.next()) {
        // A device time is digits and separators, never quoted: it runs to the first comma.
        const std::string_view text = line->text;
        const std::size_t comma = text.find(',');
        if (comma == std::string_view::npos) {
            continue;
        }
        std::uint16_t record = 0;
        const char* end = text.data() + text.size();
        const auto [next, error] = std::from_chars(text.data() + comma + 1, end, record);
        if (error == std::errc{} && next != end && *next == ',') {
            records.emplace(record, std::string(text.substr(0, comma)));
        }
    }
    read_error = reader.read_error();
    return records;
}

}  // namespace stillmon
