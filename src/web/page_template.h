#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace stillmon {

// A page with its parts in place: each "/*{{name}}*/" in `page` becomes the part's text.
// Parts go inside <style> or <script> elements, which a "</script" or "</style" in a part
// would end: those are written "<\/script" and "<\/style", as a script's strings read the same.
std::string fill_page_template(
    std::string_view page, const std::vector<std::pair<std::string_view, std::string_view>>& parts);

// The live page, whole: its styles and scripts, Chart.js included.
std::string live_page_html();

}  // namespace stillmon
