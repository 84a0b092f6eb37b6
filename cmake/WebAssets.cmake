# Embeds the page's texts: Chart.js from the Debian package libjs-chart.js and the page's own
# files in src/web/assets. Generated at build time; no copy of Chart.js is kept in the
# repository.
find_file(STILLMON_CHART_JS chart.min.js PATHS /usr/share/javascript/chart.js NO_DEFAULT_PATH
          NO_CMAKE_FIND_ROOT_PATH)
if(NOT STILLMON_CHART_JS)
  message(FATAL_ERROR
    "Chart.js was not found (/usr/share/javascript/chart.js/chart.min.js). "
    "Install the Debian package 'libjs-chart.js' (scripts/install-deps does this).")
endif()
set(web_assets_dir ${PROJECT_SOURCE_DIR}/src/web/assets)
set(STILLMON_WEB_ASSET_FILES
  ${STILLMON_CHART_JS}
  ${web_assets_dir}/run_charts.js
  ${web_assets_dir}/run_charts.css
  ${web_assets_dir}/page.css
  ${web_assets_dir}/live_page.html
  ${web_assets_dir}/live_page.js
  ${web_assets_dir}/report_page.html
  ${web_assets_dir}/report_page.js
  ${web_assets_dir}/compare_page.html
  ${web_assets_dir}/compare_page.js)
set(web_assets
  "chart_js_library=${STILLMON_CHART_JS}"
  "run_charts_script=${web_assets_dir}/run_charts.js"
  "run_charts_style=${web_assets_dir}/run_charts.css"
  "page_style=${web_assets_dir}/page.css"
  "live_page_template=${web_assets_dir}/live_page.html"
  "live_page_script=${web_assets_dir}/live_page.js"
  "report_page_template=${web_assets_dir}/report_page.html"
  "report_page_script=${web_assets_dir}/report_page.js"
  "compare_page_template=${web_assets_dir}/compare_page.html"
  "compare_page_script=${web_assets_dir}/compare_page.js")
string(JOIN "," web_assets ${web_assets})
set(STILLMON_WEB_ASSET_SOURCE ${CMAKE_BINARY_DIR}/generated/web_assets.cpp)
add_custom_command(
  OUTPUT ${STILLMON_WEB_ASSET_SOURCE}
  COMMAND ${CMAKE_COMMAND} -DOUT=${STILLMON_WEB_ASSET_SOURCE} -DHEADER=web/page_assets.h
          -DASSETS=${web_assets} -P ${PROJECT_SOURCE_DIR}/cmake/EmbedTextAssets.cmake
  DEPENDS ${STILLMON_WEB_ASSET_FILES} ${PROJECT_SOURCE_DIR}/cmake/EmbedTextAssets.cmake
  COMMENT "Embedding the page's scripts and Chart.js"
  VERBATIM)
# Chart.js is one string of some 200 kB: longer than ISO C++ promises a compiler takes, which
# GCC does take.
set_source_files_properties(${STILLMON_WEB_ASSET_SOURCE} PROPERTIES
  COMPILE_OPTIONS "-Wno-overlength-strings")
