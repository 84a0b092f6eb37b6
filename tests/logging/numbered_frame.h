#pragma once

#include <cstdint>

#include "base/telemetry_frame.h"

namespace stillmon::test_support {

// A frame whose record number tells the cycles of a log test apart.
inline TelemetryFrame numbered_frame(int record) {
    TelemetryFrame frame;
    frame[0] = 1256;
    frame[15] = 13;
    frame[17] = 0x0E1E;
    frame[16] = 0x2D07;
    frame[18] = static_cast<std::int16_t>(record);
    return frame;
}

}  // namespace stillmon::test_support
