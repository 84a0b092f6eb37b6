#include "web/compare_page.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "base/json_text.h"
#include "web/chart_thinning.h"
#include "web/html_text.h"
#include "web/page_assets.h"
#include "web/page_template.h"

namespace stillmon {

namespace {

// Far apart in hue and lightness, so that even neighbouring runs read apart; a ninth run takes
// the first colour again.
constexpr std::array<std::string_view, 8> run_colours{"#1f77b4", "#d62728", "#2ca02c", "#ff7f0e",
                                                      "#9467bd", "#8c564b", "#e377c2", "#17becf"};

std::string_view run_colour(std::size_t run) {
    return run_colours[run % run_colours.size()];
}

// "2:05:09", or "-0:01:30" before the alignment point.
std::string clock_text(double seconds) {
    const auto whole = static_cast<long long>(std::llround(std::fabs(seconds)));
    char text[48];
    std::snprintf(text, sizeof text, "%s%lld:%02lld:%02lld", seconds < -0.5 ? "-" : "",
                  whole / 3600, whole / 60 % 60, whole % 60);
    return text;
}

// "78.4 (76.1–80.2)"; a dash for a stretch where the value never came.
std::string spread_text(const ValueSpread& spread) {
    if (spread.count == 0) {
        return "&ndash;";
    }
    char text[96];
    std::snprintf(text, sizeof text, "%.1f (%.1f&ndash;%.1f)", spread.mean(), spread.min,
                  spread.max);
    return text;
}

void append_point(std::string& out, double x, double y) {
    if (out.back() != '[') {
        out += ',';
    }
    // Milliseconds are finer than any interval the device keeps.
    append_json_number(out, std::round(x * 1000.0) / 1000.0);
    out += ',';
    append_json_number(out, static_cast<float>(y));
}

// [x, y, x, y...], thinned as chart_thinning.h says.
std::string chart_points(const ComparedRun& run, const std::vector<double>& values) {
    std::string out = "[";
    for (const std::size_t at : thinned_indices(values, compared_points_per_chart)) {
        append_point(out, run.seconds[at] - run.aligned_at_s, values[at]);
    }
    return out + "]";
}

std::string chart_data(const std::string& aligned_on, const std::vector<ComparedChannel>& channels,
                       const std::vector<ComparedRun>& runs) {
    std::string out = "{\"axis\":";
    append_json_utf8_string(out, aligned_on == "start"
                                     ? "Seconds from each run's start"
                                     : "Seconds from each run's mark " + aligned_on);
    out += ",\"channels\":[";
    for (std::size_t c = 0; c < channels.size(); ++c) {
        out += c == 0 ? "" : ",";
        append_json_utf8_string(out, channels[c].title);
    }
    out += "],\"runs\":[";
    for (std::size_t r = 0; r < runs.size(); ++r) {
        const ComparedRun& run = runs[r];
        out += r == 0 ? "{\"name\":" : ",{\"name\":";
        append_json_utf8_string(out, run.name);
        out += ",\"colour\":\"" + std::string(run_colour(r)) + "\",\"marks\":[";
        for (std::size_t m = 0; m < run.marks.size(); ++m) {
            out += m == 0 ? "{\"x\":" : ",{\"x\":";
            append_json_number(out, run.marks[m].from_start_s - run.aligned_at_s);
            out += ",\"text\":";
            append_json_string(out, run.marks[m].text);
            out += '}';
        }
        out += "],\"series\":[";
        for (std::size_t c = 0; c < run.values.size(); ++c) {
            out += c == 0 ? "" : ",";
            out += chart_points(run, run.values[c]);
        }
        out += "]}";
    }
    return out + "]}";
}

std::string run_table(const ComparedRun& run, std::size_t at,
                      const std::vector<ComparedChannel>& channels) {
    const std::string name = html_text(run.name);
    std::string out = "<div class=\"panel compared-run\" data-run=\"" + name + "\"><h2><span " +
                      "class=\"swatch\" style=\"background:" + std::string(run_colour(at)) +
                      "\"></span>" + name + "</h2>\n";
    if (!run.alignment_note.empty()) {
        out += "<p class=\"note\">" + html_text(run.alignment_note) + "</p>\n";
    }
    out += "<table><tr><th>Duration</th><td class=\"duration\">" + clock_text(run.duration_s) +
           "</td></tr>\n";
    for (const ComparedMark& mark : run.marks) {
        out += "<tr><th>Mark " + html_text_of_latin1(mark.text) + "</th><td class=\"mark\">" +
               clock_text(mark.from_start_s) + "</td></tr>\n";
    }
    out += "</table>\n<table class=\"stretches\"><tr><th>Stretch</th>";
    for (const ComparedChannel& channel : channels) {
        out += "<th>" + html_text(channel.title) + "<br>mean (range)</th>";
    }
    out += "</tr>\n";
    const auto& stretches = run.stretches.stretches();
    for (std::size_t s = 0; s < stretches.size(); ++s) {
        const std::string from = s == 0 ? "start" : html_text_of_latin1(run.marks[s - 1].text);
        const std::string to =
            s < run.marks.size() ? html_text_of_latin1(run.marks[s].text) : "end";
        out += "<tr><td>" + from + " &rarr; " + to + "</td>";
        for (const ValueSpread& spread : stretches[s]) {
            out += "<td>" + spread_text(spread) + "</td>";
        }
        out += "</tr>\n";
    }
    return out + "</table></div>\n";
}

}  // namespace

std::string compare_page_html(const std::string& aligned_on,
                              const std::vector<ComparedChannel>& channels,
                              const std::vector<ComparedRun>& runs) {
    std::string names;
    std::string tables;
    for (std::size_t r = 0; r < runs.size(); ++r) {
        names += r == 0 ? "" : ", ";
        names += html_text(runs[r].name);
        tables += run_table(runs[r], r, channels);
    }
    const std::string aligned = aligned_on == "start"
                                    ? "each on its start"
                                    : "each on its first mark " + html_text(aligned_on) +
                                          " (a run without it on its start)";
    return fill_page_template(compare_page_template(),
                              {{"run_names", names},
                               {"aligned", aligned},
                               {"runs", tables},
                               {"page_css", page_style()},
                               {"run_charts_css", run_charts_style()},
                               {"chart_js", chart_js_library()},
                               {"compare_json", chart_data(aligned_on, channels, runs)},
                               {"compare_page_js", compare_page_script()}});
}

}  // namespace stillmon
