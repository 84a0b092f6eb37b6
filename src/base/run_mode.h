#pragma once

namespace stillmon {

// Live: frames from the device, logged. Replay: records from a saved text log, nothing written.
enum class RunMode { live, replay };

}  // namespace stillmon
