#pragma once

#include <string>

namespace stillmon {

// Appends the shortest decimal text that reads back as the same value of its own type (a
// float's 10.46182, not 10.461820602416992), with a "." decimal point whatever the locale.
// A value that is not finite appends nothing and returns false: each written form (JSON, CSV,
// Prometheus) says those in its own way.
bool append_shortest_number(std::string& out, double value);
bool append_shortest_number(std::string& out, float value);

// A reading the device measured as a float and that reached here as a double: the float's
// text ("80.6", not the double's 80.59999847412109); a double no float equals in its own.
bool append_shortest_reading(std::string& out, double value);

// A value as a person reads it in a message: at most `decimals` decimals, without the zeros
// that end them ("80.6", "80" with one).
std::string readable_number(double value, int decimals = 1);

}  // namespace stillmon
