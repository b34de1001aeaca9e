#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "util/Numbers.h"

using namespace gw;

TEST(Numbers, ParseCommaNumberReadsTheDecimalComma) {
    const struct { const char* text; double v; bool number; } cases[] = {
        {"12,5", 12.5, true},   {"-0,25", -0.25, true}, {"1,2,3", 1.23, true},  // leftmost comma
        {" 7 ", 7, true},       {"\t3,0\t", 3, true},   {",5", 0.5, true},
        {"0,1", 0.1, true},     {"12,", 12, true},      {"007", 7, true},
        {"5-", -5, false},      // a "-" anywhere negates, though it is no proper number
        {"", 0, false},         {"   ", 0, false},      {"-", 0, false},   {",", 0, false},
        {"12.5", 0, false},     // the dot is any other character
        {"1.000,5", 0, false},  {"1e3", 0, false},      {"abc", 0, false}, {"+3", 0, false},
        {"1 2", 0, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseCommaNumber(c.text), c.v) << '"' << c.text << '"';
        EXPECT_EQ(IsCommaNumber(c.text), c.number) << '"' << c.text << '"';
    }
    EXPECT_DOUBLE_EQ(ParseCommaNumber("123456789012345678901234567890"), 1.2345678901234568e29);
    EXPECT_TRUE(std::isinf(ParseCommaNumber(std::string(400, '9'))));
    EXPECT_EQ(ParseCommaNumber("0," + std::string(400, '0') + "1"), 0.0);
    EXPECT_FALSE(std::signbit(ParseCommaNumber("-0")));
}

TEST(Numbers, TrimRemovesBlanksAndTabsAtBothEnds) {
    EXPECT_EQ(Trim(" \t a b \t "), "a b");
    EXPECT_EQ(Trim(" \t "), "");
    EXPECT_EQ(Trim("x\n"), "x\n");
}

namespace {

std::string WithSeparator(std::string text, const std::string& sep) {
    const auto at = text.find(',');
    if (at != std::string::npos) text.replace(at, 1, sep);
    return text;
}

}  // namespace

TEST(Numbers, FormatFixedTakesTheWholePartAndPads) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct { double v; int decimals, minDigits; const char* text; } cases[] = {
        {3.14159, 2, 1, "3,14"}, {0.05, 2, 1, "0,05"},
        {-1.234, 2, 1, "-1,24"},  // the whole part is taken before the sign is removed
        {2.675, 2, 1, "2,67"},    {99.999, 2, 1, "99,99"},  {12.5, 1, 3, "012,5"},
        {5, 0, 3, "005"},         {5.9, -2, 0, "5"},        {-0.001, 2, 1, "-0,01"},
        {0, 2, 1, "0,00"},        {-0.0, 2, 1, "0,00"},     {-7, 0, 1, "-7"},
        // binary fractions a hair below or above the decimal value keep their last unit
        {0.29, 2, 1, "0,29"},     {-0.07, 2, 1, "-0,07"},   {1.1, 1, 1, "1,1"},
        {1e20, 0, 1, "100000000000000000000"},
        {nan, 1, 1, "0,0"},       {inf, 1, 2, "00,0"},      {-inf, 0, 1, "0"},
    };
    for (const char* sep : {",", "."}) {
        for (const auto& c : cases)
            EXPECT_EQ(FormatFixed(c.v, c.decimals, c.minDigits, sep), WithSeparator(c.text, sep))
                << c.v << " sep " << sep;
    }
    EXPECT_EQ(FormatFixed(1.5, 1, 1), "1,5");  // the application's decimal comma by default
    EXPECT_EQ(FormatFixed(1, 1000, 1000).size(), 20u + 1u + 64u);  // absurd widths are capped
}

TEST(Numbers, FormattedHundredthsParseBackToTheSameValue) {
    for (int i = -20000; i <= 20000; ++i) {
        const double v = i / 100.0;
        const std::string text = FormatFixed(v, 2, 1);
        ASSERT_EQ(ParseCommaNumber(text), v) << text;
        ASSERT_EQ(FormatFixed(v, 2, 1, "."), WithSeparator(text, ".")) << text;
    }
}
