#pragma once

#include <string>
#include <vector>

#include "startup/program_platform.h"

namespace stillmon {

// The whole program on the given platform: `arguments` are argv without the program's name,
// `program` is argv[0]. Returns only when the command line asks for no run (the usage, the
// version, a bad option), with the exit status; every run ends the process from within.
int run_stillmon(const char* program, const std::vector<std::string>& arguments,
                 const ProgramPlatform& platform);

}  // namespace stillmon
