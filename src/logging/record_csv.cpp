#include "logging/record_csv.h"

#include "base/latin1_text.h"
#include "base/shortest_number.h"

namespace stillmon {

std::string_view record_csv_header() {
    return "record,device_time,interval_s,tank_c,first_stage_c,second_stage_c,steam_c,top_he_c,"
           "centre_c,bottom_he_c,out_water_c,proof,liquid_strength_pct,vapour_strength_pct,"
           "whole_stages,stages,valve,flow,reflux_ratio,mark\r\n";
}

void append_csv_field(std::string& out, std::string_view utf8) {
    if (utf8.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += utf8;
        return;
    }
    out += '"';
    for (const char c : utf8) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    out += '"';
}

void append_csv_text(std::string& out, std::string_view text) {
    append_csv_field(out, utf8_from_latin1(text));
}

bool needs_text_sign(std::string_view text) {
    return !text.empty() && std::string_view("=+-@'").find(text.front()) != std::string_view::npos;
}

void append_record_csv_row(std::string& out, const CycleRecord& record, std::string_view mark) {
    out += std::to_string(record.record_number);
    out += ',';
    append_csv_text(out, record.device_time);
    out += ',';
    append_shortest_number(out, record.interval_s);
    for (const float temperature : record.temperatures_c) {
        out += ',';
        append_shortest_number(out, temperature);
    }
    for (const float value : {record.proof, record.liquid_strength, record.vapour_strength}) {
        out += ',';
        append_shortest_number(out, value);
    }
    out += ',';
    if (record.has_stages) {
        out += std::to_string(record.whole_stages);
        out += ',';
        append_shortest_number(out, record.stages);
    } else {
        out += ',';
    }
    out += ',';
    append_shortest_number(out, record.valve);
    out += ',';
    append_shortest_number(out, record.flow);
    out += ',';
    if (record.has_reflux_ratio) {
        append_shortest_number(out, record.reflux_ratio);
    }
    out += ',';
    append_csv_text(out, mark);
    out += "\r\n";
}

}  // namespace stillmon
