#include "mqtt/discovery_documents.h"

#include "base/json_text.h"
#include "mqtt/mqtt_topics.h"

namespace stillmon {

namespace {

enum class Unit { none, celsius, percent };

struct SensorValue {
    std::string_view key;  // the entity's part of the topic and of its unique_id
    std::string_view name;
    std::string_view value_template;
    Unit unit;
};

// The reflux ratio is known only in a cycle that ends a ratio period: between periods the
// sensor keeps the last one, as the window and the page do, rather than going unknown. Before
// the first one its own state is "unknown" (or "unavailable" after a silence), which a
// measurement must not be: None makes it unknown without an error in Home Assistant's log.
constexpr SensorValue sensor_values[] = {
    {"tank", "Tank", "{{ value_json.temperatures[0] }}", Unit::celsius},
    {"first_stage", "First stage", "{{ value_json.temperatures[1] }}", Unit::celsius},
    {"second_stage", "Second stage", "{{ value_json.temperatures[2] }}", Unit::celsius},
    {"steam", "Steam", "{{ value_json.temperatures[3] }}", Unit::celsius},
    {"top_he", "Top heat exchanger", "{{ value_json.temperatures[4] }}", Unit::celsius},
    {"centre", "Centre", "{{ value_json.temperatures[5] }}", Unit::celsius},
    {"bottom_he", "Bottom heat exchanger", "{{ value_json.temperatures[6] }}", Unit::celsius},
    {"out_water", "Out water", "{{ value_json.temperatures[7] }}", Unit::celsius},
    {"liquid_strength", "Liquid strength", "{{ value_json.liquid_strength }}", Unit::percent},
    {"vapour_strength", "Vapour strength", "{{ value_json.vapour_strength }}", Unit::percent},
    {"stages", "Stages", "{{ value_json.stages }}", Unit::none},
    {"reflux_ratio", "Reflux ratio",
     "{{ value_json.reflux_ratio if value_json.reflux_ratio is not none else "
     "this.state | float(none) }}",
     Unit::none},
    {"valve", "Valve", "{{ value_json.valve }}", Unit::none},
    {"flow", "Flow", "{{ value_json.flow }}", Unit::none},
};

// One discovery document: a JSON object written field by field.
class Document {
  public:
    Document& text(std::string_view name, std::string_view value) {
        append_json_string(start(name), value);
        return *this;
    }
    // A value already in JSON.
    Document& json(std::string_view name, std::string_view value) {
        start(name) += value;
        return *this;
    }
    std::string done() { return std::move(out_) + '}'; }

  private:
    std::string& start(std::string_view name) {
        out_ += out_.empty() ? '{' : ',';
        append_json_string(out_, name);
        out_ += ':';
        return out_;
    }

    std::string out_;
};

// A device's cycle states are a frame period (about 1 s) apart. Without one for 10 s the
// device is silent though stillmon is connected, and the sensors go unavailable: a frame or
// two lost, or a re-open of the port (after 2 s without frames), never blanks them. The
// alarms are sent only when they change, and stay available.
constexpr std::string_view expire_after_s = "10";

// Every entity is one device's, the run's. Home Assistant makes the entity ids of the
// device's name and the entity's ("stillmon barn/still-3" and "Tank" give
// sensor.stillmon_barn_still_3_tank): a topic that names stillmon already (the default
// "stillmon/north-3") is the device's name as it is, rather than "stillmon stillmon/north-3".
std::string device_json(std::string_view topic, std::string_view node, std::string_view version) {
    std::string identifier = "[";
    append_json_string(identifier, "stillmon_" + std::string(node));
    const std::string slug = entity_slug(topic);
    const bool named = slug == "stillmon" || slug.starts_with("stillmon_");
    return Document()
        .json("identifiers", identifier + ']')
        .text("name", (named ? "" : "stillmon ") + std::string(topic))
        .text("model", "stillmon")
        .text("sw_version", version)
        .done();
}

}  // namespace

std::string entity_slug(std::string_view name) {
    std::string slug;
    bool gap = false;
    for (const char c : name) {
        const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        if ((lower >= 'a' && lower <= 'z') || (lower >= '0' && lower <= '9')) {
            slug += gap && !slug.empty() ? "_" : "";
            slug += lower;
            gap = false;
        } else {
            gap = true;
        }
    }
    return slug;
}

std::vector<MqttMessage> discovery_documents(std::string_view topic, std::string_view discovery,
                                             const std::vector<std::string>& alarm_names,
                                             std::string_view version) {
    const std::string node = node_id(topic);
    const std::string device = device_json(topic, node, version);
    // Who made the documents, for Home Assistant's log.
    const std::string origin =
        Document().text("name", "stillmon").text("sw_version", version).done();
    const std::string prefix = std::string(discovery) + '/';
    std::vector<MqttMessage> documents;
    for (const SensorValue& value : sensor_values) {
        Document document;
        document.text("name", value.name)
            .text("unique_id", node + '_' + std::string(value.key))
            .text("state_topic", state_topic(topic))
            .text("availability_topic", availability_topic(topic))
            .text("value_template", value.value_template);
        if (value.unit == Unit::celsius) {
            document.json("unit_of_measurement", R"("\u00b0C")")
                .text("device_class", "temperature");
        } else if (value.unit == Unit::percent) {
            document.text("unit_of_measurement", "%");
        }
        document.text("state_class", "measurement")
            .json("expire_after", expire_after_s)
            .json("device", device)
            .json("origin", origin);
        documents.push_back({prefix + "sensor/" + node + '/' + std::string(value.key) + "/config",
                             document.done()});
    }
    for (const std::string& alarm : alarm_names) {
        documents.push_back({prefix + "binary_sensor/" + node + '/' + alarm + "/config",
                             Document()
                                 .text("name", "Alarm " + alarm)
                                 .text("unique_id", node + "_alarm_" + alarm)
                                 .text("state_topic", alarm_topic(topic, alarm))
                                 .text("availability_topic", availability_topic(topic))
                                 .text("payload_on", "ON")
                                 .text("payload_off", "OFF")
                                 .text("device_class", "problem")
                                 .json("device", device)
                                 .json("origin", origin)
                                 .done()});
    }
    documents.push_back({prefix + "event/" + node + "/mark/config",
                         Document()
                             .text("name", "Mark")
                             .text("unique_id", node + "_mark")
                             .text("state_topic", mark_topic(topic))
                             .text("availability_topic", availability_topic(topic))
                             .json("event_types", R"(["mark"])")
                             .json("device", device)
                             .json("origin", origin)
                             .done()});
    return documents;
}

}  // namespace stillmon
