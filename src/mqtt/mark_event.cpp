#include "mqtt/mark_event.h"

#include "base/json_text.h"

namespace stillmon {

std::string mark_event_json(const JournalEntry& mark) {
    std::string out = R"({"event_type":"mark","text":)";
    append_json_string(out, mark.text);
    out += ",\"record\":";
    out += std::to_string(mark.record_number);
    out += ",\"device_time\":";
    append_json_string(out, mark.device_time);
    out += ",\"wall_time\":";
    append_json_string(out, mark.wall_time);
    out += '}';
    return out;
}

}  // namespace stillmon
