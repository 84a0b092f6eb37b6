#include "system/host_name.h"

#include <unistd.h>

#include <array>

namespace stillmon {

std::string host_name() {
    std::array<char, 256> name{};
    if (gethostname(name.data(), name.size() - 1) != 0) {
        return {};
    }
    return name.data();
}

}  // namespace stillmon
