#include "startup/open_failure_notice.h"

namespace stillmon {

void OpenFailureNotice::note(const OpenResult& result) {
    if (result.error_number == link_error::none || result.device_path.empty()) {
        return;
    }
    std::lock_guard lock(mutex_);
    if (!said_.insert(result.denied ? std::string("denied") : result.failure).second) {
        return;
    }
    if (result.denied && !result.access_group.empty()) {
        say_("stillmon: no permission to open " + result.device_path +
             "; add yourself to the group " + result.access_group + ": sudo usermod -aG " +
             result.access_group + " $USER, then log in again");
    } else if (result.denied) {
        say_("stillmon: no permission to open " + result.device_path + "; only its owner, " +
             result.owner + ", may open it");
    } else {
        say_("stillmon: cannot open " + result.device_path + ": " + result.failure +
             "; trying again");
    }
}

}  // namespace stillmon
