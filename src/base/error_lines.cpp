#include "base/error_lines.h"

#include <string>

namespace stillmon {

Say say_lines_on(std::ostream& stream) {
    return [&stream](std::string_view line) {
        stream << std::string(line).append(1, '\n') << std::flush;
    };
}

}  // namespace stillmon
