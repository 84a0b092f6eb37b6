#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace stillmon {

// An alarm's value and threshold as a person reads them, on stderr, the page, the
// notifications and in the events file alike.
struct AlarmFigures {
    std::string value;
    std::string threshold;
};

// The threshold as the configuration gave it, and the value with the fewest decimals, at
// least one and without the zeros that end them, that keep a value past the threshold past
// it when written: 78.9375 above 78.9 is "78.94" and "78.9", never "78.9" and "78.9"; 90.3
// above 90.05 is "90.3" and "90.05"; 80.6 above 80 is "80.6" and "80". A value at or short of
// the threshold gets one decimal. An unknown value is an empty text.
AlarmFigures alarm_figures(std::optional<double> value, double threshold, bool above);

// What a change of an alarm says of its value: while it fires "steam 80.6 above 80", once
// cleared "steam 77.9" ("steam unknown" without a value). The frame age above a threshold
// says what the silence means: "no frame for 10.2 s", and "frames again".
std::string alarm_condition(std::string_view value_name, std::optional<double> value,
                            double threshold, bool above, bool firing);

}  // namespace stillmon
