#include "app/port_access_hint.h"

namespace stillmon {

void PortAccessHint::note(const OpenResult& result) {
    if (result.denied_path.empty() || given_.exchange(true)) {
        return;
    }
    errors_ << "stillmon: no permission to open " << result.denied_path
            << "; add yourself to the group dialout: sudo usermod -aG dialout $USER, then log in "
               "again"
            << std::endl;
}

}  // namespace stillmon
