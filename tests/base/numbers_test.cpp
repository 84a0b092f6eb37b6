#include "base/numbers.h"

#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "support/decimal_comma_locale.h"

namespace stillmon {
namespace {

struct FormatCase {
    double value;
    const char* mask;
    const char* text;
};

TEST(FormatNumber, RoundsHalvesTowardZeroAndPadsToTheMask) {
    // clang-format off
    const FormatCase cases[] = {
        {78.125, "0.0", "78.1"},   {2.5625, "0.0", "2.6"},     {0.25, "0.0", "0.2"},
        {0.75, "0.0", "0.7"},      {-1.25, "0.0", "-1.2"},     {-0.3125, "0.0", "-0.3"},
        {0.0625, "0.0", "0.0"},    {-0.0625, "0.0", "0.0"},    {0.5, "0.0", "0.5"},
        {1.96, "0.0", "2.0"},      {99.96, "0.0", "100.0"},    {0.125, "0.00", "0.12"},
        {3, "0.00", "3.00"},       {1.0016, "0.000", "1.002"}, {0.9995, "0.000", "0.999"},
        {0.0004, "0.000", "0.000"}, {0, "0.0", "0.0"},         {5, "00", "05"},
        {123, "00", "123"},        {-1, "00", "-01"},          {0, "00", "00"},
        {0, "0", "0"},             {65535, "0", "65535"},      {0.7, "0", "1"},
        {2.5, "0", "2"},
    };
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(format_number(c.value, c.mask), c.text) << c.value << " with " << c.mask;
    }
}

TEST(FormatNumber, ChannelValuesAsTheLogsShowThem) {
    // clang-format off
    const FormatCase cases[] = {
        {1256 / 16.0, "0.0", "78.5"},   {4 / 16.0, "0.0", "0.2"},     {1 / 16.0, "0.0", "0.0"},
        {-1 / 16.0, "0.0", "0.0"},      {-20 / 16.0, "0.0", "-1.2"},  {75 / 100.0, "0.00", "0.75"},
        {-4 / 327.0, "0.0", "0.0"},     {32767 / 327.0, "0.0", "100.2"},
        {-32768 / 100.0, "0.00", "-327.68"}, {double{40.25f}, "0.0", "40.2"},
        {1.0 / 3.0, "0.000", "0.333"},  {2.0 / 3.0, "0.000", "0.667"}, {3.517, "0.000", "3.517"},
        {-0.7, "0", "-1"},              {-2.5, "0", "-2"},            {0.06, "0", "0"},
        {0.09, "0.0", "0.0"},           {-0.1, "0.0", "-0.1"},        {-1.04, "0.0", "-1.0"},
        {0.012, "0.00", "0.01"},        {0.00999, "0.00", "0.00"},    {9.999, "0.00", "10.00"},
    };
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(format_number(c.value, c.mask), c.text) << c.value << " with " << c.mask;
    }
}

TEST(FormatNumber, NegativeZeroAndNonFiniteValuesGiveDefinedTexts) {
    EXPECT_EQ(format_number(-0.0, "0.0"), "0.0");
    EXPECT_EQ(format_number(-0.0, "0"), "0");
    EXPECT_EQ(format_number(std::numeric_limits<double>::quiet_NaN(), "0.0"), "nan");
    EXPECT_EQ(format_number(std::numeric_limits<double>::infinity(), "0.00"), "inf");
    EXPECT_EQ(format_number(-std::numeric_limits<double>::infinity(), "0"), "-inf");
    EXPECT_EQ(format_number(1e20, "0"), "100000000000000000000");
}

TEST(FormatNumber, IgnoresTheProcessLocale) {
    const DecimalCommaLocale decimal_comma;
    if (!decimal_comma.active()) {
        GTEST_SKIP() << "no locale with a decimal comma installed";
    }
    EXPECT_EQ(format_number(78.5, "0.0"), "78.5");
    EXPECT_DOUBLE_EQ(read_number("78.5"), 78.5);
}

struct ReadCase {
    const char* text;
    double value;
};

TEST(ReadNumber, ReadsTheLeadingNumber) {
    // clang-format off
    const ReadCase cases[] = {
        {"  78.1", 78.1},     {"87.5", 87.5},     {"12", 12},         {"abc", 0},
        {"2.5D1", 25},        {"2.5d1", 25},      {"2.5E-1", 0.25},   {"&h1F", 31},
        {"&H1f", 31},         {"&O17", 15},       {"&o17", 15},       {"&B101", 5},
        {"&b1012", 5},        {"&17", 15},        {"&18", 1},         {"0x10", 0},
        {"0X10", 0},          {"45.5", 45.5},     {"-1.5xyz", -1.5},  {"+7", 7},
        {".5", 0.5},          {"5.", 5},          {"1e", 1},          {"1e+", 1},
        {"3D", 3},            {"1 2", 1},         {"\t5", 0},         {"", 0},
        {"   ", 0},           {"-", 0},           {"+", 0},           {"+-3", 0},
        {".", 0},             {"-.", 0},          {"&", 0},           {"&H", 0},
        {"&Hxyz", 0},         {"97", 97},         {"1234", 1234},     {"00012", 12},
        {"1e-400", 0},        {"\xC3\xA9" "5", 0}, {"5\xFF", 5},
    };
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(read_number(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(ReadNumber, PartsOfLogFields) {
    const std::string channel_item = "1 st =87.5";
    EXPECT_DOUBLE_EQ(read_number(std::string_view(channel_item).substr(6)), 87.5);
    const std::string count_item = "Num=12";
    EXPECT_DOUBLE_EQ(read_number(std::string_view(count_item).substr(4)), 12);
}

TEST(ReadNumber, HugeExponentsSaturateWithoutFailing) {
    EXPECT_TRUE(std::isinf(read_number("1e400")));
    EXPECT_GT(read_number("1e400"), 0);
    EXPECT_LT(read_number("-1e400"), 0);
    EXPECT_EQ(read_number("1e-400"), 0.0);
    EXPECT_EQ(read_number("9" + std::string(400, '9')), read_number("1e401"));
}

// Out of a double's range the mantissa's length and the exponent together decide the side:
// a long mantissa can overflow with a negative exponent, and a number with many zeros after
// the point can underflow with a positive one.
TEST(ReadNumber, OutOfRangeNumbersGoToTheSideTheirMagnitudeLiesOn) {
    const std::string nines(339, '9');
    const std::string zeros(400, '0');
    struct Case {
        std::string text;
        double value;
    };
    const double infinity = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {nines + "e-30", infinity},
        {"-" + nines + "D-30", -infinity},
        {nines + "e-31", 9.99999e307},  // just inside: compared roughly below
        {"0." + zeros + "1e50", 0.0},
        {"0." + zeros + "1e401", 1.0},
        {"0." + zeros + "1e710", infinity},
        {zeros + "1e-400", 0.0},
        {"1e-400", 0.0},
        {"1e400", infinity},
        {"0e99999", 0.0},
    };
    for (const Case& c : cases) {
        const double value = read_number(c.text);
        if (std::isfinite(c.value) && c.value != 0.0) {
            EXPECT_NEAR(value / c.value, 1.0, 1e-5) << c.text.substr(c.text.size() - 6);
        } else {
            EXPECT_EQ(value, c.value) << c.text.substr(c.text.size() - 6);
        }
    }
}

TEST(ReadNumber, LongRadixNumbersDoNotOverflow) {
    const double value = read_number("&H" + std::string(300, 'F'));
    EXPECT_TRUE(std::isinf(value) || value > 1e300);
}

}  // namespace
}  // namespace stillmon
