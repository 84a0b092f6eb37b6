#pragma once

#include <algorithm>
#include <cmath>

namespace stillmon {

// When a target that failed is tried again: after 1 s, 2 s, 4 s ... at most a minute apart,
// so a server that is down briefly hears of the alarm soon and one down for long is not
// hammered; a notice still undelivered 5 minutes after it was made is given up, since by then
// the alarm it tells of is old news.
struct RetrySchedule {
    double first_delay_s = 1.0;
    double longest_delay_s = 60.0;
    double give_up_after_s = 300.0;

    // The wait after `failures` (1 or more) failed tries in a row.
    double delay_after(int failures) const {
        return std::min(longest_delay_s, first_delay_s * std::exp2(std::min(failures - 1, 30)));
    }
};

}  // namespace stillmon
