#include "web/page_template.h"

#include <cctype>

#include "web/page_assets.h"

namespace stillmon {

namespace {

bool is_end_tag(std::string_view text, std::string_view name) {
    if (text.size() < name.size()) {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != name[i]) {
            return false;
        }
    }
    return true;
}

void append_guarded(std::string& out, std::string_view part) {
    std::size_t copied = 0;
    for (std::size_t at = part.find("</"); at != std::string_view::npos;
         at = part.find("</", at + 2)) {
        const std::string_view rest = part.substr(at + 2);
        if (is_end_tag(rest, "script") || is_end_tag(rest, "style")) {
            out += part.substr(copied, at - copied);
            out += "<\\/";
            copied = at + 2;
        }
    }
    out += part.substr(copied);
}

}  // namespace

std::string fill_page_template(
    std::string_view page,
    const std::vector<std::pair<std::string_view, std::string_view>>& parts) {
    std::string out;
    out.reserve(page.size());
    std::size_t at = 0;
    while (true) {
        const std::size_t open = page.find("/*{{", at);
        const std::size_t close =
            open == std::string_view::npos ? open : page.find("}}*/", open + 4);
        if (close == std::string_view::npos) {
            out += page.substr(at);
            return out;
        }
        out += page.substr(at, open - at);
        const std::string_view name = page.substr(open + 4, close - open - 4);
        for (const auto& [part_name, text] : parts) {
            if (part_name == name) {
                append_guarded(out, text);
            }
        }
        at = close + 4;
    }
}

std::string live_page_html() {
    return fill_page_template(live_page_template(), {{"page_css", page_style()},
                                                     {"run_charts_css", run_charts_style()},
                                                     {"chart_js", chart_js_library()},
                                                     {"run_charts_js", run_charts_script()},
                                                     {"live_page_js", live_page_script()}});
}

}  // namespace stillmon
