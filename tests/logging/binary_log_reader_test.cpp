#include "logging/binary_log_reader.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "logging/log_lines.h"
#include "logging/numbered_frame.h"
#include "support/memory_file.h"

namespace stillmon {
namespace {

std::string record(const TelemetryFrame& frame) {
    const auto bytes = compose_binary_log_record(frame);
    return {bytes.begin(), bytes.end()};
}

std::string record(int number) {
    return record(test_support::numbered_frame(number));
}

// What the reader must give of a log: whole records by their number, damaged stretches by
// their length and the start of their fault.
struct Piece {
    std::uint64_t length;
    int record;  // -1: a damaged stretch
    std::string fault = {};
};

TEST(BinaryLogReader, TakesWholeRecordsAndSkipsEachDamagedStretchWhole) {
    TelemetryFrame decoy = test_support::numbered_frame(2);
    decoy[1] = 0x3D3D;  // "==" ...
    decoy[2] = 0x2437;  // "7$" ...
    decoy[3] = 0x2424;  // "$$": a marker inside the frame, whose bytes are taken by count
    const std::string other_number = "==5$$" + record(6).substr(5);
    struct Case {
        const char* what;
        std::string log;
        std::vector<Piece> pieces;
    };
    const Case cases[] = {
        {"empty", "", {}},
        {"whole records, the lowest and highest numbers",
         record(0) + record(decoy) + record(0xFFFF),
         {{43, 0}, {43, 2}, {47, 0xFFFF}}},
        {"the last record cut short",
         record(1) + record(2).substr(0, 20),
         {{43, 1}, {20, -1, "cut short by the end of the log"}}},
        {"a record cut short by a crash, then a new run",
         record(8) + record(9).substr(0, 30) + record(1),
         {{43, 8}, {30, -1, "cut short: the next record starts inside it"}, {43, 1}}},
        {"a frame that carries another number",
         other_number + record(7),
         {{43, -1, "the frame carries another record number"}, {43, 7}}},
        {"bytes that are no record",
         "xyz" + record(1) + "==$$" + record(12) + "=",
         {{3, -1, "no record marker"},
          {43, 1},
          {4, -1, "no record marker"},
          {44, 12},
          {1, -1, "no record marker"}}},
        {"a megabyte of '=' read through",
         std::string(1 << 20, '=') + record(4),
         {{1 << 20, -1, "no record marker"}, {43, 4}}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        BinaryLogReader reader(test_support::open_bytes_as_file(test.log));
        std::uint64_t offset = 0;
        for (const Piece& expected : test.pieces) {
            const auto piece = reader.next();
            ASSERT_TRUE(piece);
            EXPECT_EQ(piece->offset, offset);
            EXPECT_EQ(piece->length, expected.length);
            ASSERT_EQ(piece->frame.has_value(), expected.record >= 0);
            if (piece->frame) {
                EXPECT_EQ(piece->frame->record_number(), expected.record);
            }
            EXPECT_TRUE(piece->fault.starts_with(expected.fault)) << piece->fault;
            offset += expected.length;
        }
        EXPECT_FALSE(reader.next());
        EXPECT_EQ(reader.read_error(), 0);
    }
}

}  // namespace
}  // namespace stillmon
