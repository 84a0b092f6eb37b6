// Arbitrary bytes as a saved text log: NUL bytes, lone CRs, stray and unclosed quotes,
// fields longer than 4096 characters. The streaming reader must give exactly the fields of
// the in-memory reading of the same rules, field by field and record by record, must agree
// on where the log ends, and must move on by at least one byte with every field it reads.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "fuzz/memory_stream.h"
#include "fuzz/reference_text_log.h"
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

}  // namespace
}  // namespace stillmon::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace stillmon::fuzz;
    MemoryStream input(data, size);
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    compare_fields(input, bytes);
    compare_records(input, bytes);
    return 0;
}
