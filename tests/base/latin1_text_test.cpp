#include "base/latin1_text.h"

#include <gtest/gtest.h>

namespace stillmon {
namespace {

TEST(Latin1Text, ConvertsUtf8WithinLatin1ByteForByte) {
    struct Case {
        std::string_view utf8;
        std::string_view latin1;
    };
    const Case cases[] = {
        {"q", "q"},
        {"45.5", "45.5"},
        {"\xC3\xA4", "\xE4"},  // a umlaut
        {"\xC2\xB0"
         "C",
         "\xB0"
         "C"},                 // degree sign
        {"\xC3\xBF", "\xFF"},  // y diaeresis, the last Latin-1 character
        {"\xC2\xA0", "\xA0"},  // no-break space
    };
    for (const auto& c : cases) {
        EXPECT_EQ(latin1_from_utf8(c.utf8), c.latin1) << c.utf8;
    }
}

TEST(Latin1Text, DropsCharactersBeyondLatin1AndBrokenSequences) {
    struct Case {
        std::string_view utf8;
        std::string_view latin1;
    };
    const Case cases[] = {
        {"\xE2\x82\xAC", ""},  // euro sign
        {"a\xE2\x82\xAC"
         "b",
         "ab"},
        {"\xF0\x9F\x98\x80!", "!"},  // an emoji
        {"\xC3", ""},                // cut short at the end
        {"\xC3"
         "a",
         "a"},             // cut short by an ASCII byte
        {"\x80x", "x"},    // a stray continuation byte
        {"\xC0\xB1", ""},  // an overlong form of "1"
        {"\xFF", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(latin1_from_utf8(c.utf8), c.latin1);
    }
}

}  // namespace
}  // namespace stillmon
