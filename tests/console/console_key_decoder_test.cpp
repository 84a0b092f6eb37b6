#include "console/console_key_decoder.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/key_codes.h"

namespace stillmon {
namespace {

using Keys = std::vector<std::string>;

// Feeds all bytes as one burst, the way a terminal delivers a key's sequence.
Keys decode(std::string_view bytes, ConsoleKeyDecoder& decoder) {
    Keys keys;
    for (const char byte : bytes) {
        for (auto& key : decoder.feed(byte)) {
            keys.push_back(std::move(key));
        }
    }
    return keys;
}

Keys decode(std::string_view bytes) {
    ConsoleKeyDecoder decoder;
    Keys keys = decode(bytes, decoder);
    EXPECT_FALSE(decoder.pending()) << "held back after " << bytes.size() << " bytes";
    return keys;
}

std::string fn(int number) {
    return key::function_key(number);
}
std::string k(std::string_view text) {
    return std::string(text);
}

TEST(ConsoleKeyDecoder, PassesTypedCharactersThroughOneByOne) {
    EXPECT_EQ(decode("qQ4.5 x"), (Keys{"q", "Q", "4", ".", "5", " ", "x"}));
}

TEST(ConsoleKeyDecoder, TurnsLineEndsIntoOneEnterEach) {
    struct Case {
        std::string_view bytes;
        Keys keys;
    };
    const Case cases[] = {
        {"\n", {k(key::enter)}},
        {"\r", {k(key::enter)}},
        {"\r\n", {k(key::enter)}},
        {"45\r\n7\n", {"4", "5", k(key::enter), "7", k(key::enter)}},
        {"\n\n", {k(key::enter), k(key::enter)}},
        {"\r\r", {k(key::enter), k(key::enter)}},
        {"\n\r", {k(key::enter), k(key::enter)}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(decode(c.bytes), c.keys) << testing::PrintToString(c.bytes);
    }
}

TEST(ConsoleKeyDecoder, TurnsDeleteIntoBackspaceAndKeepsOtherControlBytes) {
    EXPECT_EQ(decode("\x7F"), Keys{k(key::backspace)});
    EXPECT_EQ(decode("\x08\t\x01"), (Keys{"\x08", "\t", "\x01"}));
}

TEST(ConsoleKeyDecoder, DecodesCursorEditingAndFunctionKeySequences) {
    struct Case {
        std::string_view bytes;
        std::string key;
    };
    // clang-format off
    const Case cases[] = {
        {"\x1B[A", k(key::up)},          {"\x1B[B", k(key::down)},
        {"\x1B[C", k(key::right)},       {"\x1B[D", k(key::left)},
        {"\x1BOA", k(key::up)},          {"\x1BOD", k(key::left)},  // application cursor mode
        {"\x1B[H", k(key::home)},        {"\x1B[F", k(key::end)},
        {"\x1BOH", k(key::home)},        {"\x1BOF", k(key::end)},
        {"\x1B[1~", k(key::home)},       {"\x1B[4~", k(key::end)},
        {"\x1B[7~", k(key::home)},       {"\x1B[8~", k(key::end)},  // rxvt
        {"\x1B[2~", k(key::insert)},     {"\x1B[3~", k(key::delete_key)},
        {"\x1B[5~", k(key::page_up)},    {"\x1B[6~", k(key::page_down)},
        {"\x1BOP", fn(1)},               {"\x1BOQ", fn(2)},
        {"\x1BOR", fn(3)},               {"\x1BOS", fn(4)},
        {"\x1B[11~", fn(1)},             {"\x1B[14~", fn(4)},
        {"\x1B[15~", fn(5)},             {"\x1B[17~", fn(6)},
        {"\x1B[18~", fn(7)},             {"\x1B[19~", fn(8)},
        {"\x1B[20~", fn(9)},             {"\x1B[21~", fn(10)},
        {"\x1B[23~", fn(11)},            {"\x1B[24~", k(key::snapshot)},
        {"\x1B[[A", fn(1)},              {"\x1B[[E", fn(5)},  // Linux console
        {"\x1B[1;5A", k(key::up)},       {"\x1B[1;2P", fn(1)},  // with modifiers
        {"\x1B[3;5~", k(key::delete_key)}, {"\x1B[24;2~", fn(12)},
        {"\x1BOM", k(key::enter)},       {"\x1BOp", "0"},  // keypad, application mode
    };
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(decode(c.bytes), Keys{c.key}) << testing::PrintToString(c.bytes);
    }
}

TEST(ConsoleKeyDecoder, DropsSequencesOfNoKnownKey) {
    for (const std::string_view bytes :
         {"\x1B[16~", "\x1B[99~", "\x1B[Z", "\x1B[?1;2c", "\x1B[<0;1;2M", "\x1BOZ", "\x1B[[Z"}) {
        EXPECT_EQ(decode(bytes), Keys{}) << testing::PrintToString(bytes);
    }
}

TEST(ConsoleKeyDecoder, DecodesSequencesBetweenTypedKeys) {
    EXPECT_EQ(decode("1\x1B[A2\x1B[24~3"), (Keys{"1", k(key::up), "2", k(key::snapshot), "3"}));
}

TEST(ConsoleKeyDecoder, HoldsAnEscUntilTheTimeoutSaysItStandsAlone) {
    ConsoleKeyDecoder decoder;
    EXPECT_EQ(decoder.feed('\x1B'), Keys{});
    EXPECT_TRUE(decoder.pending());
    EXPECT_EQ(decoder.timeout(), Keys{k(key::escape)});
    EXPECT_FALSE(decoder.pending());
    EXPECT_EQ(decoder.timeout(), Keys{});
}

TEST(ConsoleKeyDecoder, GivesTheBytesOfAnUnfinishedSequenceAsKeysAtTheTimeout) {
    struct Case {
        std::string_view bytes;
        Keys keys;
    };
    const Case cases[] = {
        {"\x1B[", {k(key::escape), "["}},
        {"\x1BO", {k(key::escape), "O"}},
        {"\x1B[1", {k(key::escape), "[", "1"}},
        {"\x1B[[", {k(key::escape), "[", "["}},
    };
    for (const auto& c : cases) {
        ConsoleKeyDecoder decoder;
        EXPECT_EQ(decode(c.bytes, decoder), Keys{});
        EXPECT_EQ(decoder.timeout(), c.keys) << testing::PrintToString(c.bytes);
    }
}

TEST(ConsoleKeyDecoder, SeparatesEscFromAnOrdinaryKeyRightAfterIt) {
    EXPECT_EQ(decode("\x1Bx"), (Keys{k(key::escape), "x"}));
    EXPECT_EQ(decode("\x1B\x1B[A"), (Keys{k(key::escape), k(key::up)}));
}

TEST(ConsoleKeyDecoder, RestartsAfterASequenceBrokenOffByAControlByte) {
    EXPECT_EQ(decode("\x1B[1\rq"), (Keys{k(key::enter), "q"}));
    EXPECT_EQ(decode("\x1B[\x1B[B"), Keys{k(key::down)});
}

TEST(ConsoleKeyDecoder, DropsOverlongSequences) {
    EXPECT_EQ(decode("\x1B[11111111111111111111~z"), Keys{"z"});
}

TEST(ConsoleKeyDecoder, TurnsUtf8IntoLatin1Keys) {
    EXPECT_EQ(decode("\xC3\xA4\xC2\xB0"), (Keys{"\xE4", "\xB0"}));
    EXPECT_EQ(decode("\xE2\x82\xAC"
                     "a"),
              Keys{"a"});  // the euro sign has no key
    EXPECT_EQ(decode("\xC3"
                     "a"),
              Keys{"a"});
    EXPECT_EQ(decode("\xFF\xFE"
                     "b"),
              Keys{"b"});
}

TEST(ConsoleKeyDecoder, DropsAnUnfinishedCharacterAtTheTimeout) {
    ConsoleKeyDecoder decoder;
    EXPECT_EQ(decoder.feed('\xC3'), Keys{});
    EXPECT_EQ(decoder.timeout(), Keys{});
    EXPECT_EQ(decode("z", decoder), Keys{"z"});
}

}  // namespace
}  // namespace stillmon
