#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <string_view>

namespace stillmon {

// How a part of the program says a line to the operator, without its line end: on stderr in
// the program, into a string in tests.
using Say = std::function<void(std::string_view line)>;

// Says each line on `stream` with its line end in one write, then flushes. The serial link's,
// the MQTT connection's, the notifiers' and the main thread's lines go to stderr from threads
// of their own: written in pieces, one line would be cut into another.
inline Say say_lines_on(std::ostream& stream) {
    return [&stream](std::string_view line) {
        stream << std::string(line).append(1, '\n') << std::flush;
    };
}

}  // namespace stillmon
