#include "web/metrics_text.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>

#include "base/shortest_number.h"

namespace stillmon {

namespace {

constexpr std::array<std::string_view, 8> channel_names = {
    "tank",   "first_stage",           "second_stage", "steam", "top_heat_exchanger",
    "centre", "bottom_heat_exchanger", "out_water"};

// Prometheus reads Go's float forms: NaN, +Inf, -Inf, and any decimal.
template <typename Number>
void append_value(std::string& out, Number value) {
    if constexpr (std::is_integral_v<Number>) {
        out += std::to_string(value);
    } else if (!append_shortest_number(out, value)) {
        out += std::isnan(value) ? "NaN" : value > 0 ? "+Inf" : "-Inf";
    }
}

std::string escaped_label(std::string_view value) {
    std::string out;
    for (const char c : value) {
        if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}

class MetricsWriter {
  public:
    explicit MetricsWriter(std::string_view port_label)
        : labels_("port=\"" + escaped_label(port_label) + "\"") {}

    void family(std::string_view name, std::string_view type, std::string_view help) {
        out_ += "# HELP ";
        out_ += name;
        out_ += ' ';
        out_ += help;
        out_ += "\n# TYPE ";
        out_ += name;
        out_ += ' ';
        out_ += type;
        out_ += '\n';
    }

    template <typename Number>
    void sample(std::string_view name, Number value, std::string_view more_labels = {}) {
        out_ += name;
        out_ += '{';
        out_ += labels_;
        out_ += more_labels;
        out_ += "} ";
        append_value(out_, value);
        out_ += '\n';
    }

    template <typename Number>
    void gauge(std::string_view name, std::string_view help, Number value) {
        family(name, "gauge", help);
        sample(name, value);
    }

    void counter(std::string_view name, std::string_view help, std::uint64_t value) {
        family(name, "counter", help);
        std::string sample_name(name);
        sample_name += "_total";
        sample(sample_name, value);
    }

    std::string take() { return std::move(out_); }

  private:
    std::string labels_;
    std::string out_;
};

std::string alarm_label(const AlarmSnapshot& alarm) {
    return ",alarm=\"" + escaped_label(alarm.name) + '"';
}

void append_alarm_metrics(MetricsWriter& metrics, const std::vector<AlarmSnapshot>& alarms) {
    if (alarms.empty()) {
        return;
    }
    metrics.family("stillmon_alarm_firing", "gauge",
                   "1 while the alarm fires (acknowledged or not), else 0.");
    for (const AlarmSnapshot& alarm : alarms) {
        metrics.sample("stillmon_alarm_firing", alarm.state == "firing" ? 1 : 0,
                       alarm_label(alarm) + ",severity=\"" + escaped_label(alarm.severity) + '"');
    }
    metrics.family("stillmon_alarms_fired", "counter", "Times the alarm has fired this run.");
    for (const AlarmSnapshot& alarm : alarms) {
        metrics.sample("stillmon_alarms_fired_total", alarm.fired_total, alarm_label(alarm));
    }
}

}  // namespace

std::string metrics_text(const std::optional<IndexedRecord>& latest, const LinkStatus& status,
                         std::optional<float> reflux_ratio, double now_s,
                         std::string_view port_label, const std::vector<AlarmSnapshot>& alarms,
                         std::uint64_t marks) {
    MetricsWriter metrics(port_label);
    if (latest) {
        const CycleRecord& r = latest->record;
        metrics.family("stillmon_temperature_celsius", "gauge",
                       "Temperature of measuring channels 0-7 in the latest cycle.");
        for (std::size_t c = 0; c < channel_names.size(); ++c) {
            std::string labels = ",channel=\"" + std::to_string(c) + "\",name=\"";
            labels += channel_names[c];
            labels += '"';
            metrics.sample("stillmon_temperature_celsius", r.temperatures_c[c], labels);
        }
        const float no_result = std::nanf("");
        metrics.gauge("stillmon_liquid_strength_percent",
                      "Alcohol by volume of the boiling liquid, from the tank temperature.",
                      r.liquid_strength);
        metrics.gauge("stillmon_vapour_strength_percent",
                      "Alcohol by volume of the vapour, from the steam temperature.",
                      r.vapour_strength);
        metrics.gauge("stillmon_stages",
                      "Fractional count of equilibrium stages; NaN when the strengths gave none.",
                      r.has_stages ? r.stages : no_result);
        metrics.gauge("stillmon_whole_stages", "Whole count of equilibrium stages; NaN as above.",
                      r.has_stages ? static_cast<float>(r.whole_stages) : no_result);
        metrics.gauge("stillmon_reflux_ratio", "Reflux ratio of the latest ratio period.",
                      reflux_ratio ? *reflux_ratio : no_result);
        metrics.gauge("stillmon_valve", "Averaged valve opening.", r.valve);
        metrics.gauge("stillmon_flow", "Averaged flow.", r.flow);
        metrics.gauge("stillmon_proof", "Proof value written to the text log.", r.proof);
        metrics.gauge("stillmon_record_number", "Record number of the latest frame.",
                      static_cast<int>(r.record_number));
        metrics.gauge("stillmon_frame_interval_seconds",
                      "Time between the latest frame and the one before.", r.interval_s);
        metrics.gauge("stillmon_timing_errors_in_a_row",
                      "Frames in a row outside the expected interval.", r.timing_errors);
    }
    metrics.counter("stillmon_cycles", "Cycles completed: frames logged, or records replayed.",
                    status.cycles);
    metrics.counter("stillmon_timing_errors", "Frames that came outside the expected interval.",
                    status.timing_errors);
    metrics.counter("stillmon_link_reopens", "Times the serial link was closed and re-opened.",
                    status.reopens);
    metrics.counter("stillmon_marks", "Marks the operator made in the run's journal.", marks);
    if (status.last_cycle_time) {
        metrics.gauge("stillmon_last_frame_age_seconds", "Seconds since the latest cycle.",
                      now_s - *status.last_cycle_time);
    }
    append_alarm_metrics(metrics, alarms);
    return metrics.take();
}

}  // namespace stillmon
