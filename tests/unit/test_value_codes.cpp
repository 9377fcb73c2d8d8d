// Text-to-integer rules of the settings file's integer values.
#include <gtest/gtest.h>

#include <limits>
#include <ostream>

#include "settings_file/value_codes.h"

namespace {

using settings::ParseInteger;

struct ParseCase {
    const char* name;
    std::string text;
    std::optional<std::int32_t> expected;
};

// Names the case in test listings.
void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.name; }

class ParseIntegerTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseIntegerTest, ReadsLikeTheRunTimeLibrary) {
    const ParseCase& c = GetParam();
    EXPECT_EQ(ParseInteger(c.text), c.expected) << "text: \"" << c.text << "\"";
}

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseIntegerTest,
    ::testing::Values(
        ParseCase{"Decimal", "16", 16},
        ParseCase{"Zero", "0", 0},
        ParseCase{"LeadingZeros", "007", 7},
        ParseCase{"BlanksBefore", "   16", 16},
        ParseCase{"Plus", "+16", 16},
        ParseCase{"Minus", "-16", -16},
        ParseCase{"BlanksThenSign", "  -16", -16},
        ParseCase{"Dollar", "$10", 16},
        ParseCase{"SmallX", "x10", 16},
        ParseCase{"CapitalX", "X10", 16},
        ParseCase{"ZeroX", "0x10", 16},
        ParseCase{"ZeroCapitalX", "0X10", 16},
        ParseCase{"HexDigitsEitherCase", "$aBcD", 0xABCD},
        ParseCase{"MinusHex", "-$10", -16},
        ParseCase{"PlusZeroX", "+0x10", 16},
        ParseCase{"BlanksThenHex", "  0x10", 16},
        ParseCase{"DecimalMax", "2147483647", kMax},
        ParseCase{"DecimalMin", "-2147483648", kMin},
        ParseCase{"DecimalAboveMax", "2147483648", std::nullopt},
        ParseCase{"DecimalBelowMin", "-2147483649", std::nullopt},
        ParseCase{"DecimalFarOut", "99999999999", std::nullopt},
        ParseCase{"HexAllBitsWrapsToMinusOne", "$FFFFFFFF", -1},
        ParseCase{"HexTopBitWraps", "$80000000", kMin},
        ParseCase{"HexMax", "0x7FFFFFFF", kMax},
        ParseCase{"MinusHexNegatesPattern", "-$FFFFFFFF", 1},
        ParseCase{"HexLeadingZerosDoNotCount", "$0000000010", 16},
        ParseCase{"HexOver32Bits", "$100000000", std::nullopt},
        ParseCase{"TrailingLetters", "16px", std::nullopt},
        ParseCase{"TrailingBlank", "16 ", std::nullopt},
        ParseCase{"BlankInside", "1 6", std::nullopt},
        ParseCase{"TabBefore", "\t16", std::nullopt},
        ParseCase{"Empty", "", std::nullopt},
        ParseCase{"OnlyBlanks", "   ", std::nullopt},
        ParseCase{"OnlySign", "-", std::nullopt},
        ParseCase{"DoubleSign", "--1", std::nullopt},
        ParseCase{"BlankAfterSign", "- 1", std::nullopt},
        ParseCase{"OnlyDollar", "$", std::nullopt},
        ParseCase{"OnlyZeroX", "0x", std::nullopt},
        ParseCase{"SignAfterPrefix", "$-1", std::nullopt},
        ParseCase{"NotHexDigit", "$1G", std::nullopt},
        ParseCase{"Word", "yes", std::nullopt},
        ParseCase{"DecimalPoint", "1.5", std::nullopt},
        ParseCase{"NulEndsTheText", std::string("16\0px", 5), 16}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StrToIntTest, RaisesTheConversionErrorWithTheText) {
    try {
        settings::StrToInt("Lblwidth");
        FAIL() << "no exception";
    } catch (const settings::EConvertError& e) {
        EXPECT_STREQ(e.what(), "'Lblwidth' is not a valid integer value");
    }
    EXPECT_EQ(settings::StrToInt(" 0x10"), 16);
}

TEST(StrToIntDefTest, GivesTheDefaultOnlyForUnusableText) {
    EXPECT_EQ(settings::StrToIntDef("16px", -1), -1);
    EXPECT_EQ(settings::StrToIntDef("", 7), 7);
    EXPECT_EQ(settings::StrToIntDef("0", 7), 0);
}

TEST(IntToStrTest, WritesDecimalWithMinus) {
    EXPECT_EQ(settings::IntToStr(768), "768");
    EXPECT_EQ(settings::IntToStr(0), "0");
    EXPECT_EQ(settings::IntToStr(-1), "-1");
    EXPECT_EQ(settings::IntToStr(kMin), "-2147483648");
}

}  // namespace
