#include "system/host_name.h"

#include <windows.h>

#include <array>

namespace stillmon {

std::string host_name() {
    std::array<char, MAX_COMPUTERNAME_LENGTH + 1> name{};
    DWORD size = name.size();
    if (!GetComputerNameA(name.data(), &size)) {
        return {};
    }
    return std::string(name.data(), size);
}

}  // namespace stillmon
