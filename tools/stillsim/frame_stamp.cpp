#include "stillsim/frame_stamp.h"

#include <cmath>

namespace stillmon::stillsim {

DeviceTimeStamp encode_time_stamp(double seconds_of_day) {
    constexpr long long tenths_per_day = 24LL * 3600 * 10;
    // The small allowance keeps 45.7 s at 457 tenths although 45.7 * 10 may come out just below.
    auto tenths = static_cast<long long>(std::floor(seconds_of_day * 10.0 + 1e-6));
    tenths %= tenths_per_day;
    if (tenths < 0) {
        tenths += tenths_per_day;
    }
    const auto seconds_total = tenths / 10;
    const auto hours = static_cast<unsigned>(seconds_total / 3600);
    const auto minutes = static_cast<unsigned>(seconds_total / 60 % 60);
    const auto seconds = static_cast<unsigned>(seconds_total % 60);
    const auto tenth = static_cast<unsigned>(tenths % 10);
    return DeviceTimeStamp{
        static_cast<std::int16_t>(hours << 8 | minutes),
        static_cast<std::int16_t>(seconds << 8 | tenth),
    };
}

std::uint16_t next_record_number(std::uint16_t current) {
    return current == 0xFFFF ? std::uint16_t{1} : static_cast<std::uint16_t>(current + 1);
}

}  // namespace stillmon::stillsim
