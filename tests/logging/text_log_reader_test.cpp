#include "logging/text_log_reader.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "logging/log_line_reader.h"
#include "logging/record_line.h"
#include "logging/replay_record.h"
#include "support/memory_file.h"

namespace stillmon {
namespace {

std::vector<std::string> fields_of(const std::string& text, int count) {
    TextLogReader reader(test_support::open_bytes_as_file(text));
    std::vector<std::string> fields;
    for (int i = 0; i < count; ++i) {
        fields.push_back(reader.read_field());
    }
    return fields;
}

using Fields = std::vector<std::string>;

TEST(ReadField, SplitsAtCommasAndLineEnds) {
    EXPECT_EQ(fields_of("a,b\r\nc\nd,e", 5), (Fields{"a", "b", "c", "d", "e"}));
    EXPECT_EQ(fields_of(" \t lead, in  side ,x", 3), (Fields{"lead", "in  side ", "x"}));
    EXPECT_EQ(fields_of("a,,b", 3), (Fields{"a", "", "b"}));
    EXPECT_EQ(fields_of("a", 3), (Fields{"a", "", ""}));
    EXPECT_EQ(fields_of("", 2), (Fields{"", ""}));
}

TEST(ReadField, ACarriageReturnWithoutLineFeedEndsTheFieldAlone) {
    EXPECT_EQ(fields_of("a\rb,c", 3), (Fields{"a", "b", "c"}));
    EXPECT_EQ(fields_of("a\r\r\nb", 3), (Fields{"a", "", "b"}));
}

TEST(ReadField, QuotedFieldsKeepCommas) {
    EXPECT_EQ(fields_of("\"a,b\",c", 2), (Fields{"a,b", "c"}));
    EXPECT_EQ(fields_of("\"a,b\"  ,c", 2), (Fields{"a,b", "c"}));
    EXPECT_EQ(fields_of("\"a\"x,c", 3), (Fields{"a", "x", "c"}));
    EXPECT_EQ(fields_of("\"a\r\nb\",c", 3), (Fields{"a", "b\"", "c"}));
    EXPECT_EQ(fields_of("\"open", 2), (Fields{"open", ""}));
    EXPECT_EQ(fields_of("x\"y\",z", 2), (Fields{"x\"y\"", "z"}));
}

TEST(ReadField, QuotedFieldsKeepACarriageReturnAloneAndEndAtALineEnd) {
    EXPECT_EQ(fields_of("\"lone\rcr\",z", 2), (Fields{"lone\rcr", "z"}));
    EXPECT_EQ(fields_of("\"a\r\r\nb", 2), (Fields{"a\r", "b"}));
    EXPECT_EQ(fields_of("\"end\r", 2), (Fields{"end\r", ""}));
}

// After a closing quote or a full field only a comma or a whole line end is consumed; a CR
// alone is the next field's delimiter, so that field is empty.
TEST(ReadField, ACarriageReturnAloneAfterAQuotedOrFullFieldEndsAnEmptyField) {
    const std::string full(4096, 'a');
    struct Case {
        std::string text;
        Fields fields;
    };
    const Case cases[] = {
        {"\"q\"\rb,c", {"q", "", "b", "c"}},      {"\"q\" \t\rb", {"q", "", "b", ""}},
        {"\"q\" \r\nb", {"q", "b", "", ""}},      {full + "\rb", {full, "", "b", ""}},
        {full + " \r\r\nb", {full, "", "", "b"}}, {full + "\r\nb", {full, "b", "", ""}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(fields_of(cases[i].text, 4), cases[i].fields) << "case " << i;
    }
}

TEST(TextLogReader, ACarriageReturnAloneAfterTheLastQuotedFieldIsOneMoreField) {
    std::string text = "\"q\"\r";
    TextLogReader reader(test_support::open_bytes_as_file(text));
    EXPECT_EQ(reader.read_field(), "q");
    EXPECT_FALSE(reader.at_end());
    EXPECT_EQ(reader.read_field(), "");
    EXPECT_TRUE(reader.at_end());
}

TEST(ReadField, StopsAfter4096CharactersAndGoesOnWithTheRest) {
    const std::string long_text(5000, 'a');
    const Fields fields = fields_of(long_text + ",b", 3);
    EXPECT_EQ(fields[0], std::string(4096, 'a'));
    EXPECT_EQ(fields[1], std::string(904, 'a'));
    EXPECT_EQ(fields[2], "b");
    EXPECT_EQ(fields_of(std::string(4096, 'a') + "  ,b", 2), (Fields{std::string(4096, 'a'), "b"}));
    EXPECT_EQ(fields_of(std::string(4096, 'a') + "\r\nb", 2),
              (Fields{std::string(4096, 'a'), "b"}));
}

TEST(ReadRecord, SurplusFieldsLendToTheNextRecordAndShortLinesBorrow) {
    std::string text = "0,1,2,3,4,5,6,7,8,9,10,11,12,13,14\r\n";
    text += "a,b,c,d,e,f,g,h,i,j,k\r\n";
    TextLogReader reader(test_support::open_bytes_as_file(text));
    const TextLogRecord first = reader.read_record();
    EXPECT_EQ(first[12], "12");
    const TextLogRecord second = reader.read_record();
    EXPECT_EQ(second[0], "13");
    EXPECT_EQ(second[1], "14");
    EXPECT_EQ(second[2], "a");
    EXPECT_EQ(second[12], "k");
    EXPECT_TRUE(reader.at_end());
}

TEST(TextLogReader, AMissingFileOrADirectoryIsAtItsEnd) {
    TextLogReader missing("/nonexistent/log.dat");
    EXPECT_TRUE(missing.at_end());
    EXPECT_EQ(missing.read_field(), "");
    TextLogReader directory("/tmp");
    EXPECT_TRUE(directory.at_end());
}

const char* const example_line =
    ", Tank =78.1, 1 st =87.5, 2 st =90.5, Steam=97.5, TopHE=25.0, Centr=25.2, BotHE=24.4, "
    "Out W=0.1, Proof= 0.0, 14:30:45_7, 1.002, Num=1234\r\n";

TEST(ReplayRecord, RefillsChannelsZeroToSevenWithOffsets) {
    std::string text = example_line;
    TextLogReader reader(test_support::open_bytes_as_file(text));
    const TextLogRecord record = reader.read_record();
    EXPECT_EQ(record[10], "14:30:45_7");
    EXPECT_EQ(record[11], "1.002");
    EXPECT_EQ(record[12], "Num=1234");
    TelemetryFrame frame;
    frame[8] = 99;
    refill_frame_from_record(frame, record);
    const std::int16_t expected[] = {1250, 1404, 1456, 1572, 408, 411, 398, 2};
    for (int c = 0; c < 8; ++c) {
        EXPECT_EQ(frame[c], expected[c]) << "channel " << c;
    }
    EXPECT_EQ(frame[8], 99);
    EXPECT_EQ(logged_record_count(record[12]), 1234);
}

TEST(ReplayRecord, FieldsThatDoNotNameTheChannelLeaveItAlone) {
    TextLogRecord record;
    record[1] = "Tank=78.1";    // four-character name without its blank
    record[2] = "1 st =abc";    // not a number: the offset alone
    record[3] = "2 st =9999";   // beyond 16 bits
    record[4] = "Steam";        // no value at all
    record[5] = " TopHE=-1.2";  // a blank before the name shifts the value start
    TelemetryFrame frame;
    frame[0] = 7;
    refill_frame_from_record(frame, record);
    EXPECT_EQ(frame[0], 7);
    EXPECT_EQ(frame[1], 4);
    EXPECT_EQ(frame[2], -32768);
    EXPECT_EQ(frame[3], 12);
    EXPECT_EQ(frame[4], 0);  // " TopH" trims to "TopH": no match
}

TEST(ReplayRecord, RecordCountRoundsHalvesToEven) {
    struct Case {
        const char* field;
        std::optional<std::int32_t> count;
    };
    const Case cases[] = {
        {"Num=12", 12},
        {"Num=0", 0},
        {"Num=-3", -3},
        {"Num=2.5", 2},
        {"Num=3.5", 4},
        {"Num=", 0},
        {"x Num=7 y", 7},
        {"Nu=7", std::nullopt},
        {"", std::nullopt},
        {"Num=1e30", 2147483647},
        {"Num=-1e30", -2147483647 - 1},
        {"Num=Num=5", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(logged_record_count(c.field), c.count) << c.field;
    }
}

TEST(LogLineReader, KeepsRecordLinesAndOnlyCountsThroughLongerOnes) {
    const std::string commas(LogLineReader::longest_kept + 1, ',');
    LogLineReader reader(test_support::open_bytes_as_file("a\r\n\nb\rc\n" + commas + "\r\ncut"));
    const std::vector<std::string> kept = {"a", "", "b\rc", "", "cut"};
    for (std::size_t i = 0; i < kept.size(); ++i) {
        const auto line = reader.next();
        ASSERT_TRUE(line);
        EXPECT_EQ(line->number, i + 1);
        EXPECT_EQ(line->text, kept[i]);
        EXPECT_EQ(line->too_long, i == 3);
        EXPECT_EQ(line->ended, i != 4);
    }
    EXPECT_FALSE(reader.next());
    EXPECT_EQ(reader.read_error(), 0);
}

TEST(RecordLine, TakesAWrittenLineAsWrittenAndNamesWhatDamagesOne) {
    const std::string line = std::string(example_line).substr(0, std::strlen(example_line) - 2);
    std::string fault;
    const auto record = read_record_line(line, fault);
    ASSERT_TRUE(record) << fault;
    EXPECT_EQ(record->fields, TextLogReader(test_support::open_bytes_as_file(line)).read_record());
    EXPECT_EQ(record->record_number, 1234);
    // The values as written: no replay offsets.
    EXPECT_EQ(record->temperatures_c,
              (std::array<double, 8>{78.1, 87.5, 90.5, 97.5, 25.0, 25.2, 24.4, 0.1}));
    EXPECT_EQ(record->device_time, "14:30:45_7");
    EXPECT_EQ(record->interval_s, 1.002);
    EXPECT_FALSE(read_record_line(line.substr(0, 60), fault));
    EXPECT_EQ(fault, "6 fields, not 13");

    struct Damage {
        const char* logged;
        const char* instead;
        const char* fault;
    };
    const Damage damages[] = {
        {"Out W=0.1,", "Out W=0.1,,", "14 fields, not 13"},
        {", Tank", "x, Tank", "text before the first comma"},
        {"Tank =78.1", "Tank =1e400", "field 1 "},
        {"Tank =78.1", "Tank =2048.0", "field 1 "},  // beyond 16 bits as a raw value
        {"Tank =78.1", "Tank =78.1x", "field 1 "},
        {"Tank =78.1", "Tank=78.1", "field 1 "},
        {"Steam=97.5", "Steam=-2048.1", "field 4 "},  // -32770 sixteenths
        {"Proof= 0.0", "Proof= 1e3", "field 9 "},
        {"Proof= 0.0", "Proof= 400000000000000000000000000000000000000.0", "field 9 "},
        {"14:30:45_7", "\"14:30:45_7\"", "field 10 "},
        {"1.002", "1.", "field 11 "},
        {"Num=1234", "1234", "field 12 "},
        {"Num=1234", "Num=70000", "field 12 "},
        {"Num=1234", "Num=-1", "field 12 "},
        {"Num=1234", "Num=12.0", "field 12 "},
    };
    for (const Damage& damage : damages) {
        std::string damaged = line;
        const auto at = damaged.find(damage.logged);
        damaged.replace(at, std::strlen(damage.logged), damage.instead);
        EXPECT_FALSE(read_record_line(damaged, fault)) << damaged;
        EXPECT_TRUE(fault.starts_with(damage.fault)) << damaged << ": " << fault;
    }
}

}  // namespace
}  // namespace stillmon
