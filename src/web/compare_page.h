#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/stretch_statistics.h"

namespace stillmon {

// A value the runs are compared by: "tank_c", with its chart's title "Tank (°C)".
struct ComparedChannel {
    std::string name;
    std::string title;
};

struct ComparedMark {
    std::string text;  // as the journal holds it (Latin-1)
    double from_start_s = 0.0;
};

// One run of a comparison, as read from its logs.
struct ComparedRun {
    std::string name;  // as the command line named it (UTF-8)
    // Why it is not aligned as asked ("has no mark hearts: aligned on its start"), or empty.
    std::string alignment_note;
    double aligned_at_s = 0.0;  // the alignment point, in seconds from the run's start
    double duration_s = 0.0;    // from its first record to its last
    std::vector<ComparedMark> marks;
    std::vector<double> seconds;              // each record's, from the run's start
    std::vector<std::vector<double>> values;  // one a channel, each with one value a record
    StretchStatistics stretches{0};           // the channels' spreads between its marks
};

// How many points a run draws at most on one chart (web/chart_thinning.h).
inline constexpr std::size_t compared_points_per_chart = 4000;

// The page that sets runs side by side, as one HTML file that needs nothing beside it and no
// network: a chart a channel with each run in its own colour over the seconds from its
// alignment point (`aligned_on`: "start", or the mark's text), each run's marks as lines in its
// colour, and a table a run with its duration, the time to each mark and the spread of each
// channel in each stretch between its marks.
std::string compare_page_html(const std::string& aligned_on,
                              const std::vector<ComparedChannel>& channels,
                              const std::vector<ComparedRun>& runs);

}  // namespace stillmon
