#include "report/record_channels.h"

#include <array>
#include <limits>

namespace stillmon::report {

namespace {

constexpr double missing = std::numeric_limits<double>::quiet_NaN();

// A strength of 0 is the calculation's "no result", never a measured one: left out of the means
// and ranges, a gap on the charts, an empty field in the CSV.
double strength(float value) {
    return value == 0.0f ? missing : value;
}

template <int c>
double temperature(const CycleRecord& r) {
    return r.temperatures_c[c];
}

constexpr std::array channels{
    RecordChannel{"tank_c", "Tank (\u00b0C)", temperature<0>},
    RecordChannel{"first_stage_c", "1st stage (\u00b0C)", temperature<1>},
    RecordChannel{"second_stage_c", "2nd stage (\u00b0C)", temperature<2>},
    RecordChannel{"steam_c", "Steam (\u00b0C)", temperature<3>},
    RecordChannel{"top_he_c", "Top HE (\u00b0C)", temperature<4>},
    RecordChannel{"centre_c", "Centre (\u00b0C)", temperature<5>},
    RecordChannel{"bottom_he_c", "Bottom HE (\u00b0C)", temperature<6>},
    RecordChannel{"out_water_c", "Out water (\u00b0C)", temperature<7>},
    RecordChannel{"interval_s", "Interval (s)", [](const CycleRecord& r) { return r.interval_s; }},
    RecordChannel{"proof", "Proof", [](const CycleRecord& r) -> double { return r.proof; }},
    RecordChannel{"liquid_strength_pct", "Liquid strength (% by volume)",
                  [](const CycleRecord& r) { return strength(r.liquid_strength); }},
    RecordChannel{"vapour_strength_pct", "Vapour strength (% by volume)",
                  [](const CycleRecord& r) { return strength(r.vapour_strength); }},
    RecordChannel{"whole_stages", "Whole stages",
                  [](const CycleRecord& r) {
                      return r.has_stages ? static_cast<double>(r.whole_stages) : missing;
                  }},
    RecordChannel{"stages", "Stages",
                  [](const CycleRecord& r) {
                      return r.has_stages ? static_cast<double>(r.stages) : missing;
                  }},
    RecordChannel{"valve", "Valve", [](const CycleRecord& r) -> double { return r.valve; }},
    RecordChannel{"flow", "Flow", [](const CycleRecord& r) -> double { return r.flow; }},
    RecordChannel{"reflux_ratio", "Reflux ratio",
                  [](const CycleRecord& r) {
                      return r.has_reflux_ratio ? static_cast<double>(r.reflux_ratio) : missing;
                  }},
};

}  // namespace

std::optional<std::vector<RecordChannel>> record_channels_named(std::string_view list,
                                                                std::string& unknown) {
    std::vector<RecordChannel> named;
    while (true) {
        const std::size_t comma = list.find(',');
        const std::string_view name = list.substr(0, comma);
        const RecordChannel* found = nullptr;
        for (const RecordChannel& channel : channels) {
            found = channel.name == name ? &channel : found;
        }
        if (found == nullptr) {
            unknown = name;
            return std::nullopt;
        }
        named.push_back(*found);
        if (comma == std::string_view::npos) {
            return named;
        }
        list.remove_prefix(comma + 1);
    }
}

std::string record_channel_names() {
    std::string names;
    for (const RecordChannel& channel : channels) {
        names += names.empty() ? "" : ",";
        names += channel.name;
    }
    return names;
}

}  // namespace stillmon::report
