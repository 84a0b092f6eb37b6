#include "web/record_json.h"

#include "web/json_text.h"

namespace stillmon {

void append_record_json(std::string& out, std::uint64_t index, const CycleRecord& record) {
    out += "{\"index\":";
    out += std::to_string(index);
    out += ",\"record\":";
    out += std::to_string(record.record_number);
    out += ",\"device_time\":";
    append_json_string(out, record.device_time);
    out += ",\"interval\":";
    append_json_number(out, record.interval_s);
    out += ",\"temperatures\":[";
    for (std::size_t c = 0; c < record.temperatures_c.size(); ++c) {
        if (c > 0) {
            out += ',';
        }
        append_json_number(out, record.temperatures_c[c]);
    }
    out += "],\"proof\":";
    append_json_number(out, record.proof);
    out += ",\"liquid_strength\":";
    append_json_number(out, record.liquid_strength);
    out += ",\"vapour_strength\":";
    append_json_number(out, record.vapour_strength);
    out += ",\"whole_stages\":";
    if (record.has_stages) {
        out += std::to_string(record.whole_stages);
        out += ",\"stages\":";
        append_json_number(out, record.stages);
    } else {
        out += "null,\"stages\":null";
    }
    out += ",\"valve\":";
    append_json_number(out, record.valve);
    out += ",\"flow\":";
    append_json_number(out, record.flow);
    out += ",\"reflux_ratio\":";
    if (record.has_reflux_ratio) {
        append_json_number(out, record.reflux_ratio);
    } else {
        out += "null";
    }
    out += ",\"timing_errors\":";
    out += std::to_string(record.timing_errors);
    out += '}';
}

}  // namespace stillmon
