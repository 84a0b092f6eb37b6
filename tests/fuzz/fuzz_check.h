#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace stillmon::fuzz {

// A broken invariant ends the run at once: libFuzzer records the input as a crash, and the
// corpus replay fails its test.
inline void require(bool holds, std::string_view what) {
    if (!holds) {
        std::fprintf(stderr, "fuzz invariant broken: %.*s\n", static_cast<int>(what.size()),
                     what.data());
        std::abort();
    }
}

}  // namespace stillmon::fuzz
