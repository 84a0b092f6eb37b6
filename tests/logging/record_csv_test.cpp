#include "logging/record_csv.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "support/cycle_record_example.h"
#include "support/decimal_comma_locale.h"

namespace stillmon {
namespace {

TEST(RecordCsv, QuotesTextsLeavesAbsentValuesEmptyAndIgnoresTheLocale) {
    const DecimalCommaLocale decimal_comma;
    CycleRecord record = cycle_record_example();
    std::string out;
    append_record_csv_row(out, record, "");
    EXPECT_EQ(out,
              "65535,\"14:30,4\"\"5\"\"<\xC2\xB0\",1.002,78.125,87.5,-0.0625,97.5,25,25.25,24.375,"
              "0,45.5,12.5,,,,20,0.25,,\r\n");

    record.device_time = "line\r\nbreak";
    record.has_stages = true;
    record.whole_stages = 3;
    record.stages = 2.53f;
    record.has_reflux_ratio = true;
    record.reflux_ratio = 4.37f;
    out.clear();
    append_record_csv_row(out, record, "'=1; b\xE9");
    EXPECT_TRUE(out.starts_with("65535,\"line\r\nbreak\",")) << out;
    EXPECT_TRUE(out.ends_with(",3,2.53,20,0.25,4.37,'=1; b\xC3\xA9\r\n")) << out;
    const std::string_view header = record_csv_header();
    EXPECT_EQ(std::count(header.begin(), header.end(), ','), 19);
}

}  // namespace
}  // namespace stillmon
