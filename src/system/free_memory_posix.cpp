#include <fstream>
#include <sstream>

#include "system/free_memory.h"

namespace stillmon {

std::uint64_t read_available_memory_bytes() {
    std::ifstream file("/proc/meminfo");
    std::stringstream text;
    text << file.rdbuf();
    return available_memory_bytes(text.str()).value_or(0);
}

}  // namespace stillmon
