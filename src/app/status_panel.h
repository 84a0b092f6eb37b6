#pragma once

#include <string_view>

#include "base/operator_state.h"
#include "base/text_screen.h"
#include "logging/log_lines.h"

namespace stillmon {

// The readouts printed once per cycle after the logs are written and before the strip
// charts: channel text line 1 (row 1, column 55), the record line (1, 23), line 2 (2, 33),
// line 3 (2, 85) in white, then the valve window, flow window, ratio period and correction
// gain at row 2, columns 130, 135, 140 and 145 in colours 13, 10, 12 and 11, each with a
// blank before and after. Every text ends its line; a long text runs on at column 1 of the
// next row and later prints overwrite it, so the order decides what stays visible. In the
// 128-column window the parameter positions lie off the grid: the surface refuses them and
// each parameter follows on the row below the previous print.
void print_status_panel(TextScreen& screen, const ChannelLines& lines, std::string_view record_line,
                        const OperatorState& state);

}  // namespace stillmon
