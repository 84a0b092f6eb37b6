#include "web/report_page.h"

#include <cstdio>
#include <utility>

#include "base/latin1_text.h"
#include "base/numbers.h"
#include "web/page_assets.h"
#include "web/page_template.h"
#include "web/record_json.h"

namespace stillmon {

namespace {

// A logged text is Latin-1 at best; the page is UTF-8. Control characters become blanks.
std::string html_text(std::string_view text) {
    std::string out;
    for (const char c : utf8_from_latin1(text)) {
        if (c == '&') {
            out += "&amp;";
        } else if (c == '<') {
            out += "&lt;";
        } else if (c == '>') {
            out += "&gt;";
        } else if (c == '"') {
            out += "&quot;";
        } else {
            const auto code = static_cast<unsigned char>(c);
            out += code < 0x20 || code == 0x7F ? ' ' : c;
        }
    }
    return out;
}

std::string or_dash(std::string text) {
    return text.empty() ? "&ndash;" : text;
}

std::string duration_text(double seconds) {
    const auto whole = static_cast<long long>(seconds);
    char text[64];
    std::snprintf(text, sizeof text, "%lld h %02lld min %02lld s", whole / 3600, whole / 60 % 60,
                  whole % 60);
    return text;
}

// "97.8 °C, record 1234 at 14:30:45_7"; a dash when the run had no such value.
std::string peak_text(const std::optional<RunPeak>& peak, std::string_view mask,
                      std::string_view unit) {
    if (!peak) {
        return "&ndash;";
    }
    return format_number(peak->value, mask) + std::string(unit) + ", record " +
           std::to_string(peak->record_number) + " at " + html_text(peak->device_time);
}

// The summary's rows; each value's cell has an id of its own, for a reader of the page.
std::string summary_rows(const RunSummary& summary) {
    struct Row {
        std::string_view id;
        std::string_view label;
        std::string value;
    };
    const auto duration = summary.duration_s();
    const Row rows[] = {
        {"records", "Records", std::to_string(summary.records())},
        {"skipped-lines", "Damaged log lines skipped", std::to_string(summary.skipped_lines())},
        {"start", "Device time at the start", or_dash(html_text(summary.first_device_time()))},
        {"end", "Device time at the end", or_dash(html_text(summary.last_device_time()))},
        {"duration", "Duration (device clock)", duration ? duration_text(*duration) : "&ndash;"},
        {"longest-gap", "Longest gap between frames",
         peak_text(summary.longest_gap(), "0.000", " s")},
        {"highest-tank", "Highest tank temperature",
         peak_text(summary.highest_tank_temperature(), "0.0", " &deg;C")},
        {"highest-vapour", "Highest vapour strength",
         peak_text(summary.highest_vapour_strength(), "0.0", " % by volume")},
        {"most-stages", "Most stages", peak_text(summary.most_stages(), "0.00", "")},
    };
    std::string out;
    for (const Row& row : rows) {
        out += "<tr><th>";
        out += row.label;
        out += "</th><td id=\"summary-";
        out += row.id;
        out += "\">";
        out += row.value;
        out += "</td></tr>\n";
    }
    return out;
}

}  // namespace

void ReportPage::add(const CycleRecord& record) {
    summary_.add(record);
    if (!rows_.empty()) {
        rows_ += ',';
    }
    append_record_json_row(rows_, summary_.records(), record);
}

std::string ReportPage::html() const {
    std::string records = "{\"fields\":";
    append_record_json_field_names(records);
    records += ",\"rows\":[";
    records += rows_;
    records += "]}";
    const std::string name = html_text(log_name_);
    return fill_page_template(report_page_template(), {{"log_name", name},
                                                       {"summary", summary_rows(summary_)},
                                                       {"page_css", page_style()},
                                                       {"run_charts_css", run_charts_style()},
                                                       {"chart_js", chart_js_library()},
                                                       {"run_charts_js", run_charts_script()},
                                                       {"records_json", records},
                                                       {"report_page_js", report_page_script()}});
}

}  // namespace stillmon
