#include "web/record_json.h"

#include <gtest/gtest.h>

#include "support/cycle_record_example.h"
#include "support/decimal_comma_locale.h"
#include "web/page_template.h"

namespace stillmon {
namespace {

TEST(RecordJson, WritesEveryValueWithOptionalOnesAsNullInAnyLocale) {
    const DecimalCommaLocale decimal_comma;
    CycleRecord record = cycle_record_example();
    std::string out;
    append_record_json(out, 42, record);
    EXPECT_EQ(out,
              R"({"index":42,"record":65535,"device_time":"14:30,4\"5\"\u003c\u00b0",)"
              R"("interval":1.002,"temperatures":[78.125,87.5,-0.0625,97.5,25,25.25,24.375,0],)"
              R"("proof":45.5,"liquid_strength":12.5,"vapour_strength":null,"whole_stages":null,)"
              R"("stages":null,"valve":20,"flow":0.25,"reflux_ratio":null,"timing_errors":3})");

    record.has_stages = true;
    record.whole_stages = 3;
    record.stages = 2.53f;
    record.has_reflux_ratio = true;
    record.reflux_ratio = 4.37f;
    out.clear();
    append_record_json(out, 1, record);
    EXPECT_NE(out.find(R"("whole_stages":3,"stages":2.53,)"), std::string::npos) << out;
    EXPECT_NE(out.find(R"("reflux_ratio":4.37,)"), std::string::npos) << out;
    // The row a report inlines: the same values in the same order, without the names.
    out.clear();
    append_record_json_row(out, 1, record);
    EXPECT_EQ(out, R"([1,65535,"14:30,4\"5\"\u003c\u00b0",1.002,[78.125,87.5,-0.0625,97.5,25,)"
                   R"(25.25,24.375,0],45.5,12.5,null,3,2.53,20,0.25,4.37,3])");
}

TEST(PageTemplate, FillsItsPartsAndKeepsThemInsideTheirElements) {
    EXPECT_EQ(fill_page_template("<script>/*{{a}}*/</script>/*{{b}}*//*{{unknown}}*/ /*{{",
                                 {{"a", "x = '</script>' + '</Style' + '<'"}, {"b", "B"}}),
              R"(<script>x = '<\/script>' + '<\/Style' + '<'</script>B /*{{)");
    const std::string page = live_page_html();
    EXPECT_EQ(page.find("/*{{"), std::string::npos);
    EXPECT_NE(page.find("Chart.js v3"), std::string::npos);
    EXPECT_NE(page.find("StillmonCharts.create"), std::string::npos);
}

}  // namespace
}  // namespace stillmon
