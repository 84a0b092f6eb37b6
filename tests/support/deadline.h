#pragma once

#include <chrono>

namespace stillmon::test_support {

using TestClock = std::chrono::steady_clock;

// The time left until `deadline` as a poll() timeout: 0 once it has passed.
inline int milliseconds_left(TestClock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TestClock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace stillmon::test_support
