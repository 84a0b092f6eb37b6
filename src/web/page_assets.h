#pragma once

#include <string_view>

namespace stillmon {

// The texts the page is made of, embedded into the program at build time
// (cmake/EmbedTextAssets.cmake): nothing is read from disk or fetched from elsewhere.
std::string_view chart_js_library();       // Chart.js 3, from Debian's libjs-chart.js
std::string_view run_charts_script();      // assets/run_charts.js: the run's charts and their zoom
std::string_view page_style();             // assets/page.css: the pages' frame and tables
std::string_view run_charts_style();       // assets/run_charts.css
std::string_view live_page_template();     // assets/live_page.html
std::string_view live_page_script();       // assets/live_page.js
std::string_view report_page_template();   // assets/report_page.html
std::string_view report_page_script();     // assets/report_page.js
std::string_view compare_page_template();  // assets/compare_page.html
std::string_view compare_page_script();    // assets/compare_page.js

}  // namespace stillmon
