#pragma once

#include <mutex>
#include <set>
#include <string>
#include <utility>

#include "base/error_lines.h"
#include "link/device_link.h"

namespace stillmon {

// The console line shows only an error number for a device that cannot be opened, the same
// for a missing device, one held by another program and one that refuses this user. So each
// reason is said once, with the device's path: the supervisor retries the open about every
// 600 ms while the device stays shut, and a reason said again tells nothing new.
// A refusal of this user is said with who may open the device: the group to join (on Debian
// usually dialout), or its owner alone.
class OpenFailureNotice {
  public:
    explicit OpenFailureNotice(Say say) : say_(std::move(say)) {}

    // Called with every open's result, at start-up (main thread) and on every re-open
    // (supervisor thread).
    void note(const OpenResult& result);

  private:
    Say say_;
    std::mutex mutex_;
    std::set<std::string> said_;
};

}  // namespace stillmon
