#include "web/report_page.h"

#include <cstdio>
#include <utility>

#include "base/json_text.h"
#include "base/numbers.h"
#include "base/shortest_number.h"
#include "web/html_text.h"
#include "web/page_assets.h"
#include "web/page_template.h"
#include "web/record_json.h"

namespace stillmon {

namespace {

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

std::string duration_or_dash(const std::optional<double>& seconds) {
    return seconds ? duration_text(*seconds) : "&ndash;";
}

// "97.8 °C, record 1234 at 14:30:45_7"; a dash when the run had no such value.
std::string peak_text(const std::optional<RunPeak>& peak, std::string_view mask,
                      std::string_view unit) {
    if (!peak) {
        return "&ndash;";
    }
    return format_number(peak->value, mask) + std::string(unit) + ", record " +
           std::to_string(peak->record_number) + " at " + html_text_of_latin1(peak->device_time);
}

// The summary's rows; each value's cell has an id of its own, for a reader of the page.
std::string summary_rows(const RunSummary& summary, const ReportSource& source) {
    struct Row {
        std::string_view id;
        std::string_view label;
        std::string value;
    };
    const auto duration = summary.duration_s();
    const Row rows[] = {
        {"source", "Read from", html_text_of_latin1(source.read_from)},
        {"records", "Records", std::to_string(summary.records())},
        {"sessions", "Sessions (runs that appended to the log)",
         std::to_string(summary.sessions().size())},
        {"skipped-lines",
         source.binary ? "Damaged stretches of the log skipped" : "Damaged log lines skipped",
         std::to_string(summary.skipped_lines())},
        {"start", "Device time at the start",
         or_dash(html_text_of_latin1(summary.first_device_time()))},
        {"end", "Device time at the end", or_dash(html_text_of_latin1(summary.last_device_time()))},
        {"duration", "Duration (device clock)", duration_or_dash(duration)},
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

std::string_view session_alarms_text(SessionAlarms alarms) {
    switch (alarms) {
        case SessionAlarms::logged:
            return "evaluated: the events file holds alarm changes of it";
        case SessionAlarms::what_if:
            return "evaluated (no events file)";
        case SessionAlarms::not_evaluated:
            return "not evaluated: the events file holds no alarm change of it";
    }
    return {};
}

// A row per session; the rows carry the first record and the count for a reader of the page.
std::string session_section(const RunSummary& summary, const std::vector<SessionAlarms>* alarms) {
    std::string out =
        "<h2>Sessions</h2>\n<p>The runs of stillmon that appended to the log, a grey dashed line "
        "on the charts where each after the first began. Each starts its averages, its ratio "
        "period and "
        "its alarms afresh, as its run did: a valve or flow rising from 0 at its start is the "
        "run's average filling.</p>\n<div class=\"panels\"><div class=\"panel\"><table "
        "id=\"sessions\"><tr><th>Session</th><th>First record</th><th>Device time</th>"
        "<th>Records</th><th>Duration (device clock)</th>";
    out += alarms != nullptr ? "<th>Alarms</th></tr>\n" : "</tr>\n";
    const std::vector<RunSession>& sessions = summary.sessions();
    for (std::size_t at = 0; at < sessions.size(); ++at) {
        const RunSession& session = sessions[at];
        const std::string number = std::to_string(at + 1);
        const std::string first = std::to_string(session.first_record);
        const std::string records = std::to_string(session.records);
        out += "<tr data-session=\"" + number + "\" data-first-record=\"" + first +
               "\" data-records=\"" + records + "\"><td>" + number + "</td><td>" + first +
               "</td><td>" + or_dash(html_text_of_latin1(session.first_device_time)) + "</td><td>" +
               records + "</td><td>" + duration_or_dash(session.duration_s) + "</td>";
        if (alarms != nullptr && at < alarms->size()) {
            out += "<td>" + std::string(session_alarms_text((*alarms)[at])) + "</td>";
        }
        out += "</tr>\n";
    }
    return out + "</table></div></div>\n";
}

// Values as the records hold them: a float's shortest text.
std::string value_text(const std::optional<double>& value) {
    std::string text;
    if (!value || !append_shortest_number(text, static_cast<float>(*value))) {
        return "unknown";
    }
    return text;
}

void append_moment_cells(std::string& out, const AlarmMoment& moment) {
    out += "<td>" + std::to_string(moment.record_number) + "</td><td>" +
           html_text_of_latin1(moment.device_time) + "</td><td>" + value_text(moment.value) +
           "</td>";
}

// Each alarm with a table of its firings; the rows carry the records for a reader of the page.
std::string alarm_section(const std::vector<ReportedAlarm>& alarms) {
    std::string out =
        "<h2>Alarms</h2>\n<p>Evaluated in each session as its run evaluates them: its clock "
        "(the logged frame intervals added up), arm_after and every alarm start afresh. With an "
        "events file beside the log, written by live runs with --config, only the sessions it "
        "holds alarm changes of are evaluated: the others ran without alarms (or changed none). "
        "Without one every session is, as if its run had had this configuration. Marked on "
        "the charts: a red line where an alarm fired, a green line where it cleared.</p>\n"
        "<div class=\"panels\">\n";
    for (const ReportedAlarm& alarm : alarms) {
        const std::string name = html_text_of_latin1(alarm.name);
        out += "<div class=\"panel alarm\"><h3>" + name + "</h3><p>" +
               html_text_of_latin1(alarm.condition) + "</p>\n";
        if (alarm.firings.empty()) {
            out += "<p data-alarm=\"" + name + "\">Never fired.</p></div>\n";
            continue;
        }
        out +=
            "<table><tr><th>Session</th><th>Fired at record</th><th>Device time</th><th>Value</th>"
            "<th>Cleared at record</th><th>Device time</th><th>Value</th><th>Duration</th></tr>\n";
        for (const AlarmFiring& firing : alarm.firings) {
            out += "<tr data-alarm=\"" + name + "\" data-fired-record=\"" +
                   std::to_string(firing.fired.record_number) + "\" data-cleared-record=\"" +
                   (firing.cleared ? std::to_string(firing.cleared->record_number) : "") +
                   "\"><td>" + std::to_string(firing.session) + "</td>";
            append_moment_cells(out, firing.fired);
            if (firing.cleared) {
                append_moment_cells(out, *firing.cleared);
                out += "<td>" + duration_text(firing.duration_s) + "</td>";
            } else {
                out += "<td colspan=\"3\">&ndash;</td><td>until the session ended (" +
                       duration_text(firing.duration_s) + ")</td>";
            }
            out += "</tr>\n";
        }
        out += "</table></div>\n";
    }
    return out + "</div>\n";
}

// The lines the charts draw (run_charts.js's setLines): [{"index": the record's index on the
// charts, "kind": "session-start", "mark", "firing" or "cleared", "label": its text}, ...].
std::string chart_lines(const RunSummary& summary, const std::vector<ListedJournalEntry>& journal,
                        const std::vector<ReportedAlarm>* alarms) {
    std::string out = "[";
    const auto line = [&out](std::uint64_t index, std::string_view kind, std::string_view label) {
        out += out.size() > 1 ? ",{\"index\":" : "{\"index\":";
        out += std::to_string(index) + ",\"kind\":\"" + std::string(kind) + "\",\"label\":";
        append_json_string(out, label);
        out += '}';
    };
    const std::vector<RunSession>& sessions = summary.sessions();
    for (std::size_t at = 1; at < sessions.size(); ++at) {
        line(sessions[at].first_index, "session-start", "session " + std::to_string(at + 1));
    }
    for (const ListedJournalEntry& listed : journal) {
        if (listed.index && listed.entry.kind == JournalKind::mark) {
            line(*listed.index, "mark", listed.entry.text);
        }
    }
    if (alarms == nullptr) {
        return out + "]";
    }
    for (const ReportedAlarm& alarm : *alarms) {
        for (const AlarmFiring& firing : alarm.firings) {
            line(firing.fired.index, "firing", alarm.name);
            if (firing.cleared) {
                line(firing.cleared->index, "cleared", alarm.name);
            }
        }
    }
    return out + "]";
}

// A row per entry, in the log's order, then those the log holds no record of; the rows carry
// the kind, session and record for a reader of the page.
std::string journal_section(const std::vector<ListedJournalEntry>& journal) {
    if (journal.empty()) {
        return {};
    }
    std::string out =
        "<h2>Journal</h2>\n<p>The operator's marks (a blue line on the charts) and where each "
        "run began and ended, from the journal beside the log, with the wall-clock time of each. "
        "Each stands at the record the run had drawn last; an entry whose record the log does "
        "not hold is listed last.</p>\n<div class=\"panels\"><div class=\"panel\"><table "
        "id=\"journal\"><tr><th>Wall time</th><th>Session</th><th>Record</th><th>Device time</th>"
        "<th>Kind</th><th>Text</th></tr>\n";
    for (const ListedJournalEntry& listed : journal) {
        const JournalEntry& entry = listed.entry;
        const std::string session = listed.index ? std::to_string(listed.session) : "";
        const std::string record = std::to_string(entry.record_number);
        out += "<tr data-kind=\"" + std::string(journal_kind_name(entry.kind)) +
               "\" data-session=\"" + session + "\" data-record=\"" + record + "\"><td>" +
               or_dash(html_text_of_latin1(entry.wall_time)) + "</td><td>" +
               (listed.index ? session : "not found in the log") + "</td><td>" + record +
               "</td><td>" + or_dash(html_text_of_latin1(entry.device_time)) + "</td><td>" +
               std::string(journal_kind_name(entry.kind)) + "</td><td>" +
               html_text_of_latin1(entry.text) + "</td></tr>\n";
    }
    return out + "</table></div></div>\n";
}

}  // namespace

void ReportPage::add_journal_entries(const CycleRecord& record,
                                     const std::vector<JournalEntry>& entries) {
    for (const JournalEntry& entry : entries) {
        ListedJournalEntry& listed = journal_.emplace_back(
            ListedJournalEntry{entry, summary_.records(), summary_.sessions().size()});
        listed.entry.record_number = record.record_number;
        listed.entry.device_time = record.device_time;
    }
}

void ReportPage::add_unplaced_journal_entries(const std::vector<JournalEntry>& entries) {
    for (const JournalEntry& entry : entries) {
        journal_.push_back({entry, std::nullopt, 0});
    }
}

std::uint64_t ReportPage::add(const CycleRecord& record, bool starts_session) {
    summary_.add(record, starts_session);
    if (!rows_.empty()) {
        rows_ += ',';
    }
    append_record_json_row(rows_, summary_.records(), record);
    return summary_.records();
}

std::string ReportPage::html() const {
    std::string records = "{\"fields\":";
    append_record_json_field_names(records);
    records += ",\"rows\":[";
    records += rows_;
    records += "]}";
    const std::string name = html_text_of_latin1(source_.log_name);
    const std::string alarms = alarms_ ? alarm_section(*alarms_) : std::string();
    const std::vector<ReportedAlarm>* shown_alarms = alarms_ ? &*alarms_ : nullptr;
    const std::string sessions = session_section(summary_, alarms_ ? &session_alarms_ : nullptr);
    const std::string marks = chart_lines(summary_, journal_, shown_alarms);
    return fill_page_template(report_page_template(), {{"log_name", name},
                                                       {"summary", summary_rows(summary_, source_)},
                                                       {"sessions", sessions},
                                                       {"journal", journal_section(journal_)},
                                                       {"alarms", alarms},
                                                       {"page_css", page_style()},
                                                       {"run_charts_css", run_charts_style()},
                                                       {"chart_js", chart_js_library()},
                                                       {"run_charts_js", run_charts_script()},
                                                       {"records_json", records},
                                                       {"chart_marks_json", marks},
                                                       {"report_page_js", report_page_script()}});
}

}  // namespace stillmon
