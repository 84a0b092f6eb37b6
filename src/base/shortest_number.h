#pragma once

#include <string>

namespace stillmon {

// Appends the shortest decimal text that reads back as the same value of its own type (a
// float's 10.46182, not 10.461820602416992), with a "." decimal point whatever the locale.
// A value that is not finite appends nothing and returns false: each written form (JSON, CSV,
// Prometheus) says those in its own way.
bool append_shortest_number(std::string& out, double value);
bool append_shortest_number(std::string& out, float value);

}  // namespace stillmon
