#include "notify/notice_texts.h"

#include "base/alarm_wording.h"
#include "base/json_text.h"
#include "base/shortest_number.h"

namespace stillmon {

namespace {

void append_member(std::string& out, std::string_view name) {
    out += out.size() > 1 ? "," : "";
    append_json_utf8_string(out, name);
    out += ':';
}

std::string reading_text(const std::optional<double>& value) {
    std::string text;
    if (value) {
        append_shortest_reading(text, *value);
    }
    return text;
}

std::string number_text(double value) {
    std::string text;
    append_shortest_number(text, value);
    return text;
}

bool sounds_alarm(const AlarmNotice& notice) {
    return notice.state == "firing" || notice.state == "repeat";
}

}  // namespace

std::string notice_json(const AlarmNotice& notice, const NoticeOrigin& origin) {
    std::string json = "{";
    for (const auto& [name, text] :
         {std::pair<std::string_view, std::string_view>{"alarm", notice.alarm},
          {"state", notice.state},
          {"severity", notice.severity}}) {
        append_member(json, name);
        append_json_utf8_string(json, text);
    }
    const std::string value = reading_text(notice.value);
    const std::string threshold = number_text(notice.threshold);
    append_member(json, "value");
    json += value.empty() ? "null" : value;
    append_member(json, "threshold");
    json += threshold.empty() ? "null" : threshold;
    append_member(json, "record");
    json += std::to_string(notice.record_number);
    for (const auto& [name, text] :
         {std::pair<std::string_view, std::string_view>{"device_time", notice.device_time},
          {"time", notice.time},
          {"port", origin.port},
          {"log", origin.log}}) {
        append_member(json, name);
        append_json_utf8_string(json, text);
    }
    return json + "}";
}

NtfyMessage ntfy_message(const AlarmNotice& notice) {
    NtfyMessage message;
    const bool sounding = sounds_alarm(notice);
    const bool critical = notice.severity == "critical";
    const std::string said = notice.state == "repeat" ? "still firing" : notice.state;
    message.title = "stillmon: " + notice.alarm + ' ' + said;
    message.priority = !sounding ? "default" : critical ? "urgent" : "high";
    message.tags = !sounding ? "white_check_mark" : critical ? "rotating_light" : "warning";
    message.body =
        notice.alarm + ' ' + said + ": " +
        alarm_condition(notice.value_name, notice.value, notice.threshold, notice.above, sounding);
    return message;
}

std::vector<std::pair<std::string, std::string>> notice_environment(const AlarmNotice& notice,
                                                                    const NoticeOrigin& origin) {
    const AlarmFigures figures = alarm_figures(notice.value, notice.threshold, notice.above);
    return {{"STILLMON_ALARM", notice.alarm},
            {"STILLMON_STATE", notice.state},
            {"STILLMON_SEVERITY", notice.severity},
            {"STILLMON_VALUE", figures.value},
            {"STILLMON_THRESHOLD", figures.threshold},
            {"STILLMON_RECORD", std::to_string(notice.record_number)},
            {"STILLMON_DEVICE_TIME", notice.device_time},
            {"STILLMON_PORT", origin.port}};
}

}  // namespace stillmon
