#include "logging/record_csv.h"

#include <algorithm>
#include <clocale>
#include <limits>

#include <gtest/gtest.h>

namespace stillmon {
namespace {

TEST(RecordCsv, QuotesTextsLeavesAbsentValuesEmptyAndIgnoresTheLocale) {
    // A decimal comma in the C library's locale would shift every column after it.
    const char* german = std::setlocale(LC_ALL, "de_DE.UTF-8");
    CycleRecord record;
    record.record_number = 1234;
    record.device_time = "14:30,4\"5\"\xB0";
    record.interval_s = 1.002;
    record.temperatures_c = {78.125f, 87.75f, -0.0625f, 97.5f, 25.0f, 25.25f, 24.375f, 0.0f};
    record.proof = 45.5f;
    record.liquid_strength = 12.5f;
    record.vapour_strength = std::numeric_limits<float>::infinity();
    record.valve = 20.0f;
    record.flow = 0.25f;
    std::string out;
    append_record_csv_row(out, record);
    EXPECT_EQ(out,
              "1234,\"14:30,4\"\"5\"\"\xC2\xB0\",1.002,78.125,87.75,-0.0625,97.5,25,25.25,24.375,0,"
              "45.5,12.5,,,,20,0.25,\r\n");

    record.device_time = "line\r\nbreak";
    record.has_stages = true;
    record.whole_stages = 3;
    record.stages = 2.53f;
    record.has_reflux_ratio = true;
    record.reflux_ratio = 4.37f;
    out.clear();
    append_record_csv_row(out, record);
    EXPECT_TRUE(out.starts_with("1234,\"line\r\nbreak\",")) << out;
    EXPECT_TRUE(out.ends_with(",3,2.53,20,0.25,4.37\r\n")) << out;
    const std::string_view header = record_csv_header();
    EXPECT_EQ(std::count(header.begin(), header.end(), ','), 18);
    if (german != nullptr) {
        std::setlocale(LC_ALL, "C");
    }
}

}  // namespace
}  // namespace stillmon
