#include "web/page_answers.h"

#include <charconv>

#include "base/json_text.h"
#include "web/alarm_json.h"
#include "web/journal_json.h"
#include "web/loopback_host.h"
#include "web/metrics_text.h"
#include "web/page_template.h"
#include "web/record_json.h"

namespace stillmon {

namespace {

PageAnswer text_answer(int status, std::string body,
                       std::string content_type = "text/plain; charset=utf-8") {
    PageAnswer answer;
    answer.status = status;
    answer.content_type = std::move(content_type);
    answer.body = std::make_shared<const std::string>(std::move(body));
    // A page that moves every second is never to be taken from a cache.
    answer.headers.emplace_back("Cache-Control", "no-store");
    return answer;
}

PageAnswer json_answer(std::string body) {
    return text_answer(200, std::move(body), "application/json");
}

}  // namespace

std::optional<std::uint64_t> read_history_index(const std::string& text) {
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc{} || stop != end || text.front() == '-' ||
        text.front() == '+') {
        return std::nullopt;
    }
    return value;
}

PageAnswers::PageAnswers(const LiveView& view, PageSource source, std::function<double()> now_s,
                         PictureEncoder encode_png)
    : view_(view),
      source_(std::move(source)),
      now_s_(std::move(now_s)),
      encode_png_(std::move(encode_png)),
      page_(std::make_shared<const std::string>(live_page_html())) {}

PageAnswer PageAnswers::answer(const PageRequest& request) {
    if (request.head_bytes > longest_head_bytes) {
        return text_answer(431, "Request head over 8 KiB\n");
    }
    if (!host_header_accepted(request.served_host, request.host)) {
        return text_answer(421, "This page answers only to its loopback address\n");
    }
    if (request.method != "GET" && request.method != "HEAD") {
        PageAnswer refused = text_answer(405, "Only GET and HEAD\n");
        refused.headers.emplace_back("Allow", "GET, HEAD");
        return refused;
    }
    if (request.has_body) {
        return text_answer(413, "This server takes no request bodies\n");
    }
    if (request.path == "/") {
        PageAnswer page = text_answer(200, {}, "text/html; charset=utf-8");
        page.body = page_;
        return page;
    }
    if (request.path == "/window.png") {
        return window_picture();
    }
    if (request.path == "/api/latest") {
        return json_answer(latest_json());
    }
    if (request.path == "/api/history") {
        std::uint64_t after = 0;
        if (request.since) {
            const auto index = read_history_index(*request.since);
            if (!index) {
                return text_answer(400, "since must be a whole number of cycles\n");
            }
            after = *index;
        }
        return json_answer(history_json(after));
    }
    if (request.path == "/api/alarms") {
        const auto alarms = view_.alarms();
        return json_answer(alarms_json(alarms->alarms, alarms->marks));
    }
    if (request.path == "/api/journal") {
        return json_answer(journal_json(view_.journal()));
    }
    if (request.path == "/metrics") {
        return text_answer(
            200,
            metrics_text(view_.history().latest(), view_.link_status(), view_.last_reflux_ratio(),
                         now_s_(), source_.port_label, view_.alarms()->alarms, view_.marks_made()),
            "text/plain; version=0.0.4; charset=utf-8");
    }
    return text_answer(404, "Not found\n");
}

PageAnswer PageAnswers::window_picture() {
    const std::shared_ptr<const PublishedPicture> picture = view_.picture();
    std::shared_ptr<const std::string> png;
    if (picture) {
        std::lock_guard lock(png_mutex_);
        if (png_serial_ != picture->serial) {
            std::optional<std::string> encoded = encode_png_(picture->picture);
            png_ = encoded ? std::make_shared<const std::string>(std::move(*encoded)) : nullptr;
            png_serial_ = picture->serial;
        }
        png = png_;
    }
    if (!png) {
        PageAnswer none = text_answer(503, "No picture of the window yet\n");
        none.headers.emplace_back("Retry-After", "1");
        return none;
    }
    PageAnswer answer = text_answer(200, {}, "image/png");
    answer.body = std::move(png);
    return answer;
}

std::string PageAnswers::latest_json() {
    const std::optional<IndexedRecord> latest = view_.history().latest();
    const LinkStatus status = view_.link_status();
    std::string out = "{\"mode\":";
    out += source_.live ? "\"live\"" : "\"replay\"";
    out += ",\"source\":";
    append_json_string(out, source_.name);
    out += ",\"port\":";
    append_json_string(out, source_.port_label);
    out += ",\"ended\":";
    out += view_.replay_ended() ? "true" : "false";
    out += ",\"journal\":";
    out += std::to_string(view_.journal_revision());
    out += ",\"record\":";
    if (latest) {
        append_record_json(out, latest->index, latest->record);
    } else {
        out += "null";
    }
    out += ",\"link\":{\"arriving\":";
    // Silent for a negative time: no cycle yet.
    const double silent_s = status.last_cycle_time ? now_s_() - *status.last_cycle_time : -1.0;
    out += silent_s >= 0.0 && silent_s <= source_.arriving_within_s ? "true" : "false";
    out += ",\"silent_s\":";
    if (silent_s >= 0.0) {
        append_json_number(out, silent_s);
    } else {
        out += "null";
    }
    out += ",\"cycles\":";
    out += std::to_string(status.cycles);
    out += ",\"timing_errors\":";
    out += std::to_string(status.timing_errors);
    out += ",\"reopens\":";
    out += std::to_string(status.reopens);
    out += "}}";
    return out;
}

std::string PageAnswers::history_json(std::uint64_t after) {
    const std::vector<IndexedRecord> records = view_.history().since(after, history_per_answer);
    const std::uint64_t newest = view_.history().newest_index();
    std::string out = "{\"records\":[";
    out.reserve(records.size() * 400 + 64);
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (i > 0) {
            out += ',';
        }
        append_record_json(out, records[i].index, records[i].record);
    }
    out += "],\"newest\":";
    out += std::to_string(newest);
    out += ",\"more\":";
    out += !records.empty() && records.back().index < newest ? "true" : "false";
    out += '}';
    return out;
}

}  // namespace stillmon
