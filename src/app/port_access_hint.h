#pragma once

#include <atomic>
#include <ostream>

#include "link/device_link.h"

namespace stillmon {

// On Debian a serial device belongs to the group dialout, and a user outside it cannot open
// it. The console line shows only error 2, as for a missing device, so the first refusal of a
// run adds one line on `errors` naming the device and the fix. Only the first: the
// supervisor retries the open about every 600 ms while the device stays shut.
class PortAccessHint {
  public:
    explicit PortAccessHint(std::ostream& errors) : errors_(errors) {}

    // Called with every open's result, at start-up (main thread) and on every re-open
    // (supervisor thread).
    void note(const OpenResult& result);

  private:
    std::ostream& errors_;
    std::atomic<bool> given_{false};
};

}  // namespace stillmon
