// Arbitrary bytes as a saved text log: NUL bytes, lone CRs, stray and unclosed quotes,
// fields longer than 4096 characters. The streaming reader must give exactly the fields of
// the in-memory reading of the same rules, field by field and record by record, must agree
// on where the log ends, and must move on by at least one byte with every field it reads.
// Read line by line as the report reads it, a line taken as a whole record must be exactly
// the record the replay reads from that line alone.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "fuzz/memory_stream.h"
#include "fuzz/reference_text_log.h"
#include "logging/log_line_reader.h"
#include "logging/record_line.h"
#include "logging/replay_record.h"
#include "logging/text_log_reader.h"

namespace stillmon::fuzz {
namespace {

void compare_fields(MemoryStream& input, std::string_view bytes) {
    TextLogReader reader(input.open());
    ReferenceTextLog reference(bytes);
    std::size_t fields = 0;
    while (true) {
        require(reader.at_end() == reference.at_end(), "both readings end at the same field");
        if (reference.at_end()) {
            break;
        }
        const std::string field = reader.read_field();
        require(field == reference.read_field(), "field as the rules read it");
        require(field.size() <= TextLogReader::longest_field, "at most 4096 characters");
        require(field.find('\n') == std::string::npos, "no LF inside a field");
        ++fields;
        require(fields <= bytes.size(), "every field consumes at least one byte");
    }
    // A reader at its end stays there and reads empty fields.
    for (int i = 0; i < 2; ++i) {
        require(reader.read_field().empty(), "empty field at the end");
        require(reader.at_end(), "still at the end");
    }
}

void compare_records(MemoryStream& input, std::string_view bytes) {
    TextLogReader reader(input.open());
    ReferenceTextLog reference(bytes);
    std::size_t records = 0;
    while (!reference.at_end()) {
        require(!reader.at_end(), "the reader is not at its end before the rules say so");
        require(reader.read_record() == reference.read_record(), "record as the rules read it");
        ++records;
        require(records <= bytes.size(), "every record consumes at least one byte");
    }
    require(reader.at_end(), "the reader ends with the rules");
    const TextLogRecord after_end = reader.read_record();
    for (const std::string& field : after_end) {
        require(field.empty(), "a record read at the end is empty");
    }
}

void compare_record_lines(MemoryStream& input, std::string_view bytes) {
    LogLineReader reader(input.open());
    std::uint64_t lines = 0;
    std::string fault;
    while (const auto line = reader.next()) {
        require(line->number == ++lines && lines <= bytes.size(), "lines counted from 1");
        require(line->text.size() <= LogLineReader::longest_kept, "a line is held in bounds");
        const auto record = read_record_line(line->text, fault);
        if (record) {
            MemoryStream alone(reinterpret_cast<const std::uint8_t*>(line->text.data()),
                               line->text.size());
            require(TextLogReader(alone.open()).read_record() == record->fields,
                    "a whole record as the replay reads the line");
            require(logged_record_count(record->fields[12]) == record->record_number,
                    "the count as the replay reads it");
        }
    }
}

}  // namespace
}  // namespace stillmon::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace stillmon::fuzz;
    MemoryStream input(data, size);
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    compare_fields(input, bytes);
    compare_records(input, bytes);
    compare_record_lines(input, bytes);
    return 0;
}
