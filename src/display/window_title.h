#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/run_mode.h"

namespace stillmon {

inline constexpr std::string_view live_title_lead = "USB CDC USART out to Graf on ";
inline constexpr std::string_view replay_title_lead = "Saved Log Data Out to Graf on ";

// The window shows at most this many characters of a title.
inline constexpr std::size_t window_title_limit = 127;

// A title as the window shows it: its first 127 characters.
std::string cut_window_title(std::string_view title);

// The title for the operating mode, with the given address: the run's own page when it is
// served, else the documentation.
std::string window_title(RunMode mode, std::string_view web_address);

}  // namespace stillmon
