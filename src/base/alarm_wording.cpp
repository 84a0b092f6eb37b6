#include "base/alarm_wording.h"

#include <charconv>

#include "base/shortest_number.h"

namespace stillmon {

namespace {

double read_back(const std::string& text) {
    double value = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

bool past(double value, double threshold, bool above) {
    return above ? value > threshold : value < threshold;
}

}  // namespace

AlarmFigures alarm_figures(std::optional<double> known, double threshold, bool above) {
    // The threshold as the configuration file gave it.
    AlarmFigures figures;
    append_shortest_number(figures.threshold, threshold);
    if (!known) {
        return figures;
    }
    const double value = *known;
    // Past this the fixed texts grow long for nothing: the shortest text, which tells any two
    // doubles apart, takes over.
    constexpr int most_decimals = 17;
    for (int decimals = 1; decimals <= most_decimals; ++decimals) {
        figures.value = readable_number(value, decimals);
        if (!past(value, threshold, above) || past(read_back(figures.value), threshold, above)) {
            return figures;
        }
    }
    figures.value.clear();
    append_shortest_number(figures.value, value);
    return figures;
}

std::string alarm_condition(std::string_view value_name, std::optional<double> value,
                            double threshold, bool above, bool firing) {
    const AlarmFigures figures = alarm_figures(value, threshold, above);
    const std::string said = value ? figures.value : "unknown";
    if (value_name == "frame_age" && above) {
        return firing ? "no frame for " + said + " s" : "frames again";
    }
    std::string text = std::string(value_name) + ' ' + said;
    if (firing) {
        text += (above ? " above " : " below ") + figures.threshold;
    }
    return text;
}

}  // namespace stillmon
