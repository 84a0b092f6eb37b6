#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "base/window_picture.h"

namespace stillmon {

class Surface;

// Writes the surface to a PNG file with its palette colours exactly (an indexed PNG with the
// chart palette). Works without a window or display. On failure returns false and, when
// given, fills `why_not`.
bool save_snapshot_png(const Surface& surface, const std::string& path,
                       std::string* why_not = nullptr);

// The same PNG bytes for a copy of the surface's pixels, made in memory: what the page serves
// as the window's picture. Any thread; nothing when the picture cannot be encoded.
std::optional<std::string> encode_picture_png(const WindowPicture& picture);

// The snapshot key's work: saves the surface as "stillmon-YYYYMMDD-HHMMSS.png" (local time)
// in the working directory and says so on `console` ("Snapshot saved: <name>"), or why
// not. True when saved. Main thread only, as all drawing.
bool take_snapshot(const Surface& surface, std::ostream& console);

}  // namespace stillmon
