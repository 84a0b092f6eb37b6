#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace stillmon {

// MemAvailable of a /proc/meminfo text, in bytes.
std::optional<std::uint64_t> available_memory_bytes(std::string_view meminfo);

// The physical memory still available to programs (MemAvailable of /proc/meminfo on Linux,
// GlobalMemoryStatusEx on Windows); 0 when unknown.
std::uint64_t read_available_memory_bytes();

}  // namespace stillmon
