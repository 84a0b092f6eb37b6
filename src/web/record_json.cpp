#include "web/record_json.h"

#include <string_view>

#include "base/json_text.h"

namespace stillmon {

namespace {

enum class Form { object, row, names };

// Places each value in the form asked for: after its name (an object), alone (a row), or
// nowhere, writing the name instead (the list of names). One list of the record's values
// serves all three, so an object and a row always say the same in the same order.
class FieldWriter {
  public:
    FieldWriter(std::string& out, Form form) : out_(out), form_(form) {
        out_ += form == Form::object ? '{' : '[';
    }
    ~FieldWriter() { out_ += form_ == Form::object ? '}' : ']'; }
    FieldWriter(const FieldWriter&) = delete;
    FieldWriter& operator=(const FieldWriter&) = delete;

    // Where the value of the field named `name` is to be appended.
    std::string& value(std::string_view name) {
        if (!first_) {
            out_ += ',';
        }
        first_ = false;
        if (form_ == Form::row) {
            return out_;
        }
        append_json_string(out_, name);
        if (form_ == Form::names) {
            discarded_.clear();
            return discarded_;
        }
        out_ += ':';
        return out_;
    }

  private:
    std::string& out_;
    Form form_;
    bool first_ = true;
    std::string discarded_;
};

void append_optional(std::string& out, bool present, float value) {
    if (present) {
        append_json_number(out, value);
    } else {
        out += "null";
    }
}

void write_fields(FieldWriter& w, std::uint64_t index, const CycleRecord& record) {
    w.value("index") += std::to_string(index);
    w.value("record") += std::to_string(record.record_number);
    append_json_string(w.value("device_time"), record.device_time);
    append_json_number(w.value("interval"), record.interval_s);
    std::string& temperatures = w.value("temperatures");
    for (std::size_t c = 0; c < record.temperatures_c.size(); ++c) {
        temperatures += c == 0 ? '[' : ',';
        append_json_number(temperatures, record.temperatures_c[c]);
    }
    temperatures += ']';
    append_json_number(w.value("proof"), record.proof);
    append_json_number(w.value("liquid_strength"), record.liquid_strength);
    append_json_number(w.value("vapour_strength"), record.vapour_strength);
    w.value("whole_stages") += record.has_stages ? std::to_string(record.whole_stages) : "null";
    append_optional(w.value("stages"), record.has_stages, record.stages);
    append_json_number(w.value("valve"), record.valve);
    append_json_number(w.value("flow"), record.flow);
    append_optional(w.value("reflux_ratio"), record.has_reflux_ratio, record.reflux_ratio);
    w.value("timing_errors") += std::to_string(record.timing_errors);
}

}  // namespace

void append_record_json(std::string& out, std::uint64_t index, const CycleRecord& record) {
    FieldWriter writer(out, Form::object);
    write_fields(writer, index, record);
}

void append_record_json_row(std::string& out, std::uint64_t index, const CycleRecord& record) {
    FieldWriter writer(out, Form::row);
    write_fields(writer, index, record);
}

void append_record_json_field_names(std::string& out) {
    FieldWriter writer(out, Form::names);
    write_fields(writer, 0, CycleRecord{});
}

}  // namespace stillmon
