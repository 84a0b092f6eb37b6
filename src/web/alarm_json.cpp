#include "web/alarm_json.h"

#include "base/alarm_wording.h"
#include "base/json_text.h"

namespace stillmon {

namespace {

void append_key(std::string& out, std::string_view key) {
    out += ',';
    append_json_string(out, key);
    out += ':';
}

void append_text(std::string& out, std::string_view key, std::string_view text) {
    append_key(out, key);
    append_json_string(out, text);
}

void append_flag(std::string& out, std::string_view key, bool flag) {
    append_key(out, key);
    out += flag ? "true" : "false";
}

void append_alarm(std::string& out, const AlarmSnapshot& alarm) {
    out += "{\"name\":";
    append_json_string(out, alarm.name);
    append_key(out, "value");
    if (alarm.value) {
        append_json_number(out, *alarm.value);
    } else {
        out += "null";
    }
    append_text(out, "value_name", alarm.value_name);
    append_text(out, "severity", alarm.severity);
    append_text(out, "state", alarm.state);
    append_text(out, "since", alarm.since);
    append_flag(out, "acknowledged", alarm.acknowledged);
    append_key(out, "threshold");
    append_json_number(out, alarm.threshold);
    append_flag(out, "above", alarm.above);
    append_key(out, "fired_total");
    out += std::to_string(alarm.fired_total);
    append_key(out, "condition");
    if (alarm.state == "firing") {
        append_json_string(out, alarm_condition(alarm.value_name, alarm.value, alarm.threshold,
                                                alarm.above, true));
    } else {
        out += "null";
    }
    out += '}';
}

void append_mark(std::string& out, const AlarmMark& mark) {
    out += "{\"alarm\":";
    append_json_string(out, mark.alarm);
    append_text(out, "state", mark.state);
    append_key(out, "index");
    out += std::to_string(mark.index);
    append_key(out, "record");
    out += std::to_string(mark.record_number);
    append_text(out, "device_time", mark.device_time);
    append_text(out, "time", mark.time);
    out += '}';
}

template <typename Item, typename Append>
void append_list(std::string& out, const std::vector<Item>& items, Append append) {
    out += '[';
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) {
            out += ',';
        }
        append(out, items[i]);
    }
    out += ']';
}

}  // namespace

std::string alarms_json(const std::vector<AlarmSnapshot>& alarms,
                        const std::vector<AlarmMark>& marks) {
    std::string out = "{\"alarms\":";
    append_list(out, alarms, append_alarm);
    out += ",\"marks\":";
    append_list(out, marks, append_mark);
    out += '}';
    return out;
}

}  // namespace stillmon
