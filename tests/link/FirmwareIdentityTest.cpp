#include <gtest/gtest.h>

#include "link/FirmwareIdentity.h"

using namespace gw;

namespace {

std::string Pad32(const std::string& s) { return s + std::string(32 - s.size(), ' '); }

}  // namespace

TEST(FirmwareIdentity, FieldsOfAFullIdentityText) {
    const FirmwareIdentity id = FirmwareIdentity::Parse("012315052007" + Pad32("PRJ CUST 0815"));
    EXPECT_EQ(id.VersStr, "01.00.23");
    EXPECT_EQ(id.VersNum, 123);
    EXPECT_EQ(id.DataStr, "07/05/15");
    EXPECT_EQ(id.DayNum, 15);
    EXPECT_EQ(id.MonthNum, 5);
    EXPECT_EQ(id.YearNum, 2007);
    EXPECT_EQ(id.KDXXX, "PRJ");
    EXPECT_EQ(id.CLIENTE, "CUST");
    EXPECT_EQ(id.CODICE, "0815");
    EXPECT_EQ(FirmwareVersionNumber(id.Text), 123);
}

TEST(FirmwareIdentity, ShortTextsGiveTheDefaultsFieldByField) {
    struct Case {
        std::string text;
        std::string vers;
        int versNum, day, month, year;
        std::string date;
    };
    const Case cases[] = {
        {"", "00.00", 0, 0, 0, 0, "00000000"},
        {"012", "00.00", 0, 0, 0, 0, "00000000"},
        {"0123", "00.00", 123, 0, 0, 0, "00000000"},
        {"01231", "01.00.23", 123, 0, 0, 0, "00000000"},
        {"0123150", "01.00.23", 123, 15, 0, 0, "00000000"},
        {"012315052", "01.00.23", 123, 15, 5, 0, "00000000"},
        {"012315052007", "01.00.23", 123, 15, 5, 0, "07/05/15"},  // the year needs 13 characters
        {"012315052007X", "01.00.23", 123, 15, 5, 2007, "07/05/15"},
    };
    for (const auto& c : cases) {
        const FirmwareIdentity id = FirmwareIdentity::Parse(c.text);
        EXPECT_EQ(id.VersStr, c.vers) << c.text;
        EXPECT_EQ(id.VersNum, c.versNum) << c.text;
        EXPECT_EQ(id.DayNum, c.day) << c.text;
        EXPECT_EQ(id.MonthNum, c.month) << c.text;
        EXPECT_EQ(id.YearNum, c.year) << c.text;
        EXPECT_EQ(id.DataStr, c.date) << c.text;
        EXPECT_EQ(id.KDXXX + id.CLIENTE + id.CODICE, c.text.size() > 12 ? "X" : "") << c.text;
    }
}

TEST(FirmwareIdentity, ErasedOrGarbledIdentityReadsAsVersionZero) {
    // An erased ECU answers 0xFF bytes: the hex digits are "FFFF...".
    EXPECT_EQ(FirmwareVersionNumber("FFFFFFFFFFFF" + std::string(32, '\xFF')), 0);
    EXPECT_EQ(FirmwareVersionNumber("01A5"), 1);  // the leading digits as far as they go
    const FirmwareIdentity id = FirmwareIdentity::Parse("FFFFFFFFFFFF" + std::string(32, '\xFF'));
    EXPECT_EQ(id.DayNum, 0);
    EXPECT_EQ(id.YearNum, 0);
    EXPECT_EQ(id.CODICE, "");
}

TEST(FirmwareIdentity, DescriptorWordsSurviveDoubleBlanks) {
    const FirmwareIdentity id = FirmwareIdentity::Parse("014015032010" + Pad32(" KD452  CUSTOMER   0815"));
    EXPECT_EQ(id.KDXXX, "KD452");
    EXPECT_EQ(id.CLIENTE, "CUSTOMER");
    EXPECT_EQ(id.CODICE, "0815");
}

TEST(FirmwareIdentity, RecordToText) {
    const std::string record = std::string("\x01\x40\x15\x03\x20\x10", 6) + Pad32("KD452 CUSTOMER 0815");
    EXPECT_EQ(IdentityTextFromRecord(record), "014015032010" + Pad32("KD452 CUSTOMER 0815"));
    EXPECT_EQ(IdentityTextFromRecord(std::string("\xAB\x01", 2)), "AB01");
    EXPECT_EQ(IdentityTextFromRecord(""), "");
}

TEST(FirmwareIdentity, ProjectMatchAndNewerFirmware) {
    auto id = [](const std::string& head, const std::string& desc) {
        return FirmwareIdentity::Parse(head + Pad32(desc));
    };
    const auto ecu = id("014015032010", "KD452 CUSTOMER 0815");
    // Project: the file's code decides, upper case; an empty code accepts any ECU.
    EXPECT_TRUE(SameProject(ecu, id("014015032010", "OTHER NAME 0815")));
    EXPECT_TRUE(SameProject(id("014015032010", "kd452 cust abc"), id("014015032010", "KD452 CUST ABC")));
    EXPECT_TRUE(SameProject(ecu, id("014015032010", "KD452 CUSTOMER")));
    EXPECT_TRUE(SameProject(id("", ""), id("014015032010", "")));
    EXPECT_FALSE(SameProject(ecu, id("014015032010", "KD452 CUSTOMER 0999")));
    EXPECT_FALSE(SameProject(id("", ""), id("014015032010", "KD452 CUSTOMER 0815")));
    // An identity read from erased flash (an upgrade that never ended) belongs, and is older.
    const auto erased = FirmwareIdentity::Parse("FFFFFFFFFFFF" + std::string(32, '\xFF'));
    EXPECT_TRUE(ErasedIdentity(erased));
    EXPECT_FALSE(ErasedIdentity(ecu));
    EXPECT_TRUE(SameProject(erased, ecu));
    EXPECT_TRUE(FileFirmwareNewer(erased, ecu));

    // Newer: a higher version, or the same version with a later date.
    struct Case {
        std::string file;
        bool newer;
    };
    const Case cases[] = {
        {"014115032010", true},  {"013915032010", false}, {"014015032010", false},
        {"014016032010", true},  {"014015042010", true},  {"014015032011", true},
        {"014031122009", false}, {"014014032010", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FileFirmwareNewer(ecu, id(c.file, "KD452 CUSTOMER 0815")), c.newer) << c.file;
}
