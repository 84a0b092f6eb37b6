#include <windows.h>

#include "system/free_memory.h"

namespace stillmon {

std::uint64_t read_available_memory_bytes() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof(status);
    if (!GlobalMemoryStatusEx(&status)) {
        return 0;
    }
    return status.ullAvailPhys;
}

}  // namespace stillmon
