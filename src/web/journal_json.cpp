#include "web/journal_json.h"

#include "base/json_text.h"

namespace stillmon {

std::string journal_json(const JournalShown& journal) {
    std::string out = "{\"entries\":[";
    for (std::size_t i = 0; i < journal.lines.size(); ++i) {
        const JournalLine& line = journal.lines[i];
        out += i > 0 ? ",{\"index\":" : "{\"index\":";
        out += std::to_string(line.index);
        out += ",\"record\":";
        out += std::to_string(line.entry.record_number);
        out += ",\"device_time\":";
        append_json_string(out, line.entry.device_time);
        out += ",\"wall_time\":";
        append_json_string(out, line.entry.wall_time);
        out += ",\"kind\":";
        append_json_string(out, journal_kind_name(line.entry.kind));
        out += ",\"text\":";
        append_json_string(out, line.entry.text);
        out += '}';
    }
    out += "],\"dropped\":";
    out += std::to_string(journal.dropped);
    out += '}';
    return out;
}

}  // namespace stillmon
