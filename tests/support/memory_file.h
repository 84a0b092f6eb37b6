#pragma once

#include <cstdio>
#include <string_view>

namespace stillmon::test_support {

// A stream over the given bytes, read from the start, for code that reads a FILE*. It lives
// in a temporary file the C library deletes at close: fmemopen is POSIX only.
std::FILE* open_bytes_as_file(std::string_view bytes);

}  // namespace stillmon::test_support
