#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "util/HexText.h"

using namespace gw;

namespace {
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();
}  // namespace

TEST(HexText, BytesAndHexConvertBothWays) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    const std::string hex = BytesToHex(all);
    ASSERT_EQ(hex.size(), 512u);
    EXPECT_EQ(hex.substr(0, 6), "000102");
    EXPECT_EQ(hex.substr(506), "FDFEFF");
    EXPECT_EQ(HexToBytes(hex), all);
    EXPECT_EQ(BytesToHex(std::string("\x00\xAB", 2)), "00AB");
    EXPECT_EQ(BytesToHex("A"), "41");

    const struct { const char* hex; std::string bytes; } cases[] = {
        {"ABC", std::string("\x0A\xBC", 2)},  // odd length: a leading "0"
        {"abcd", "\xAB\xCD"},
        {"0", std::string(1, '\0')},
        {"", ""},
        {"1G", ""},  // any error gives nothing, not a partial result
        {"0102 3", ""},
        {"01-2", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(HexToBytes(c.hex), c.bytes) << c.hex;
}

TEST(HexText, ReverseBytesSwapsPairs) {
    const struct { const char* in; const char* out; } cases[] = {
        {"1234", "3412"}, {"123", "2301"}, {"AABBCCDD", "DDCCBBAA"}, {"7", "07"}, {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ReverseBytes(c.in), c.out) << c.in;
}

TEST(HexText, HexDigitsDividesBySixteenAndRoundsTheFractionalDigit) {
    const struct { double v; const char* hex; } cases[] = {
        {0, "00"},       {255, "FF"},  {256, "0100"}, {4.6, "05"}, {4.4, "04"},
        {4.5, "04"},     {5.5, "06"},  // ties to even
        {15.7, "0F"},    {31.6, "1F"},  // a remainder of 15 or more is F (no carry)
        {0.4, "00"},     {0.6, "01"},  {65535, "FFFF"}, {4294967295.0, "FFFFFFFF"},
        {1e20, "056BC75E2D63100000"},
        {-1, "00"},      {-0.0, "00"}, {kNaN, "00"},  {kInf, "00"},  {-kInf, "00"},
    };
    for (const auto& c : cases) EXPECT_EQ(HexDigits(c.v), c.hex) << c.v;
}

TEST(HexText, HexSigned16GivesFourDigitsAndSaturates) {
    const struct { double v; const char* hex; } cases[] = {
        {-100, "FF9C"},  {40000, "7FFF"},  {32767, "7FFF"}, {32766, "7FFE"}, {0, "0000"},
        {100, "0064"},   {1, "0001"},      {0.3, "0000"},   {4095.6, "0FFF"},
        {-1, "FFFF"},    {-32767, "8001"}, {-32768, "8000"}, {-1e9, "8000"},
        {-0.8 / 0.008, "FF9C"},  // a correction of -0.8 ms in 0.008 ms steps
        {kInf, "7FFF"},  {-kInf, "8000"},  {kNaN, "0000"},
    };
    for (const auto& c : cases) EXPECT_EQ(HexSigned16(c.v), c.hex) << c.v;
}

TEST(HexText, SixteenBitValuesSurviveTheWireFormInBothDirections) {
    for (int v = -32768; v <= 32767; ++v) {
        const std::string wire = ReverseBytes(HexSigned16(v));
        ASSERT_EQ(HexS16(wire), v) << wire;
    }
    for (int v = 0; v <= 65535; ++v) {
        std::string hex = HexDigits(v);
        if (hex.size() < 4) hex = "00" + hex;
        ASSERT_EQ(HexU16(ReverseBytes(hex)), v) << hex;
    }
}

TEST(HexText, ReadersTakeTheLittleEndianFormAndAnyText) {
    const struct { const char* text; unsigned byte; } bytes[] = {
        {"41", 0x41}, {"A", 0xA0}, {"a5xyz", 0xA5}, {"FFFF", 0xFF}, {"", 0}, {"G1", 0}, {"1G", 0},
    };
    for (const auto& c : bytes) EXPECT_EQ(HexByte(c.text), c.byte) << c.text;

    const struct { const char* hex; int s16; unsigned u16; } words[] = {
        {"FFFF", -1, 65535}, {"3412", 0x1234, 0x1234}, {"0080", -32768, 32768},
        {"FF7F", 32767, 32767}, {"9CFF", -100, 65436},
        {"FF", 255, 255}, {"", 0, 0}, {"ZZ01", 256, 256},  // missing or bad pairs count as 0
    };
    for (const auto& c : words) {
        EXPECT_EQ(HexS16(c.hex), c.s16) << c.hex;
        EXPECT_EQ(HexU16(c.hex), c.u16) << c.hex;
    }

    const struct { const char* hex; double v; } longs[] = {
        {"01000000", 1}, {"00000001", 16777216}, {"78563412", 305419896},
        {"FFFFFFFF", 4294967295.0}, {"FFFF", 65535}, {"", 0},
    };
    for (const auto& c : longs) EXPECT_EQ(HexU32(c.hex), c.v) << c.hex;
}
