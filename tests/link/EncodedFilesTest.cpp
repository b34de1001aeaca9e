// Encoded and plain text files: line splitting, decoding, the header test and the readers.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "link/EncodedFiles.h"
#include "support/TempDir.h"
#include "util/EventHost.h"
#include "util/Warnings.h"

namespace {

using gw::DecodeLine;
using Lines = std::vector<std::string>;

// The maker's encoding, for building sample files: each byte as four digits holding twice
// its code, the whole line reversed.
std::string Encode(const std::string& plain) {
    std::string groups;
    for (unsigned char c : plain) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%04u", 2u * c);
        groups += buf;
    }
    return std::string(groups.rbegin(), groups.rend());
}

std::string EncodedFile(const Lines& plain, const std::string& eol = "\r\n") {
    std::string text = Encode("BASILISCO");
    for (const std::string& l : plain) text += eol + Encode(l);
    return text;
}

TEST(DecodeLine, DecodesTheDocumentedSampleAndRoundTripsEveryByte) {
    bool ok = false;
    EXPECT_EQ(DecodeLine("891069104910", &ok), "abc");
    EXPECT_TRUE(ok);
    EXPECT_EQ(Encode("abc"), "891069104910");

    std::string all;
    for (int c = 0; c < 256; ++c) all.push_back(static_cast<char>(c));
    EXPECT_EQ(DecodeLine(Encode(all), &ok), all);
    EXPECT_TRUE(ok);
    EXPECT_EQ(DecodeLine(Encode("BASILISCO")), "BASILISCO");
}

TEST(DecodeLine, StopsAtTheFirstBadGroup) {
    struct Case {
        std::string reversedGroups;  // written in reading order, reversed before decoding
        std::string expected;
        bool ok;
    };
    const Case cases[] = {
        {"", "", true},
        {"01940196", "ab", true},
        {"0511", "\xff", true},           // half is 255: still a character
        {"0001", std::string(1, '\0'), true},
        {"01940512", "a", false},         // half is 256
        {"019409990196", "a", false},     // 999 / 2 = 499
        {"0194x1960198", "a", false},     // not numeric
        {"0194 196", "a", false},         // blank inside a group
        {"0194-196", "a", false},
        {"019419", "a\x09", true},        // a short last group is decoded too
        {"01941x", "a", false},
    };
    for (const Case& c : cases) {
        bool ok = !c.ok;
        const std::string line(c.reversedGroups.rbegin(), c.reversedGroups.rend());
        EXPECT_EQ(DecodeLine(line, &ok), c.expected) << c.reversedGroups;
        EXPECT_EQ(ok, c.ok) << c.reversedGroups;
    }
}

TEST(SplitFileLines, SplitsAtCrLfAndAtLoneLf) {
    struct Case {
        std::string text;
        Lines lines;
    };
    const Case cases[] = {
        {"", {""}},
        {"a", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\r\nb\r\n", {"a", "b", ""}},
        {"\r\n", {"", ""}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\nb\n", {"a", "b", ""}},             // files edited with bare LF line ends
        {"a\r\nb\nc", {"a", "b", "c"}},
        {"a\rb\r", {"a\rb\r"}},                 // a lone CR is part of the line
        {"a\r\r\nb", {"a\r", "b"}},
        {std::string("x\0y\r\nz", 6), {std::string("x\0y", 3), "z"}},
    };
    for (const Case& c : cases) EXPECT_EQ(gw::SplitFileLines(c.text), c.lines) << c.text;
}

class EncodedFilesTest : public ::testing::Test {
protected:
    gwtest::TempDir dir;
    gw::VirtualHost host;
};

TEST_F(EncodedFilesTest, FileCodificatoNeedsAHeaderThatDecodesToTheWord) {
    EXPECT_TRUE(gw::FileCodificato(dir.Write("enc.ini", EncodedFile({"[A]", "1"}))));
    EXPECT_TRUE(gw::FileCodificato(dir.Write("lf.ini", EncodedFile({"[A]"}, "\n"))));
    EXPECT_TRUE(gw::FileCodificato(dir.Write("only.ini", Encode("BASILISCO"))));
    EXPECT_TRUE(gw::FileCodificato(dir.Write("only2.ini", Encode("BASILISCO") + "\r\n")));

    std::string badGroup = Encode("BASILISCO");
    badGroup[5] = 'x';
    const struct {
        const char* name;
        std::string bytes;
    } notEncoded[] = {
        {"plainword.ini", "BASILISCO\r\n[A]\r\n"},
        {"badgroup.ini", badGroup + "\r\n" + Encode("x")},
        {"other.ini", Encode("BASILISC") + "\r\n"},
        {"longer.ini", Encode("BASILISCOS") + "\r\n"},
        {"trailing.ini", Encode("BASILISCO") + " \r\n"},
        {"empty.ini", ""},
        {"long.ini", std::string(100000, '1') + "\r\n" + Encode("BASILISCO")},
        {"binary.ini", std::string("\0\xff\x01\r\n", 5)},
    };
    for (const auto& c : notEncoded) EXPECT_FALSE(gw::FileCodificato(dir.Write(c.name, c.bytes))) << c.name;

    EXPECT_FALSE(gw::FileCodificato(dir.File("missing.ini")));
    EXPECT_FALSE(gw::FileCodificato(""));
    EXPECT_FALSE(gw::FileCodificato(dir.Path()));  // a folder
}

TEST_F(EncodedFilesTest, LeggiFileCodificatoReturnsTheDecodedLinesAfterTheHeader) {
    const double before = host.MicroClock();
    const auto got = gw::LeggiFileCodificato(dir.Write("a.ini", EncodedFile({"[K]", "", "3,5"}) + "\r\n"), &host);
    EXPECT_EQ(got.value, (Lines{"[K]", "", "3,5", ""}));  // the final CR LF leaves an empty line
    EXPECT_TRUE(got.warnings.empty());
    EXPECT_GT(host.MicroClock(), before);  // events were let run

    // Without a host nothing but the file is touched.
    const double after = host.MicroClock();
    EXPECT_EQ(gw::LeggiFileCodificato(dir.Write("b.ini", EncodedFile({"[K]", "7"}, "\n"))).value,
              (Lines{"[K]", "7"}));
    EXPECT_EQ(host.MicroClock(), after);
    EXPECT_EQ(gw::LeggiFileCodificato(dir.Write("c.ini", Encode("BASILISCO"))).value, Lines{});

    // A damaged body line decodes up to its first bad group.
    const std::string damaged = Encode("BASILISCO") + "\r\n" + "x" + Encode("ab");
    EXPECT_EQ(gw::LeggiFileCodificato(dir.Write("d.ini", damaged)).value, (Lines{"ab"}));
    EXPECT_TRUE(host.Messages().empty());
}

TEST_F(EncodedFilesTest, LeggiFileCodificatoOnAPlainFileSaysHeaderWrongAndGivesOneEmptyLine) {
    const auto got = gw::LeggiFileCodificato(dir.Write("plain.ini", "BASILISCO\r\n[A]\r\n1"), &host);
    EXPECT_EQ(got.value, Lines{""});
    ASSERT_EQ(got.warnings.size(), 1u);
    EXPECT_EQ(got.warnings[0], (gw::Warning{"HEADER WRONG ", "FileExist", gw::MsgIcon::Information}));
    EXPECT_TRUE(host.Messages().empty());  // the caller shows it

    gw::ShowWarnings(host, got.warnings);
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_EQ(host.Messages()[0].text, "HEADER WRONG ");
    EXPECT_EQ(host.Messages()[0].title, "FileExist");
    EXPECT_EQ(host.Messages()[0].icon, gw::MsgIcon::Information);
    EXPECT_EQ(host.Messages()[0].buttons, gw::MsgButtons::Ok);

    const auto empty = gw::LeggiFileCodificato(dir.Write("empty.ini", ""));
    EXPECT_EQ(empty.value, Lines{""});
    EXPECT_EQ(empty.warnings.size(), 1u);

    const auto missing = gw::LeggiFileCodificato(dir.File("missing.ini"));
    EXPECT_EQ(missing.value, Lines{});
    EXPECT_TRUE(missing.warnings.empty());
}

TEST_F(EncodedFilesTest, LeggiFileTestoKeepsTheBytesOfEveryLine) {
    const std::string bytes("[A]\r\n\xe8\0\xff\r\nlast", 14);
    EXPECT_EQ(gw::LeggiFileTesto(dir.Write("t.ini", bytes), &host),
              (Lines{"[A]", std::string("\xe8\0\xff", 3), "last"}));
    EXPECT_EQ(gw::LeggiFileTesto(dir.Write("e.ini", "")), Lines{""});
    EXPECT_EQ(gw::LeggiFileTesto(dir.File("missing.ini")), Lines{});
    EXPECT_EQ(gw::LeggiFileTesto(dir.Path()), Lines{});
}

TEST_F(EncodedFilesTest, ReadConfigLinesPicksTheReaderByTheHeader) {
    const auto encoded = gw::ReadConfigLines(dir.Write("enc.ini", EncodedFile({"[A]", "1,5"})), &host);
    EXPECT_EQ(encoded.value, (Lines{"[A]", "1,5"}));
    const auto plain = gw::ReadConfigLines(dir.Write("plain.ini", "BASILISCO\r\n[A]"));
    EXPECT_EQ(plain.value, (Lines{"BASILISCO", "[A]"}));
    const auto missing = gw::ReadConfigLines(dir.File("missing.ini"));
    EXPECT_EQ(missing.value, Lines{});
    for (const auto* r : {&encoded, &plain, &missing}) EXPECT_TRUE(r->warnings.empty());
    EXPECT_TRUE(host.Messages().empty());
}

TEST_F(EncodedFilesTest, BinaryGarbageIsReadWithoutHarm) {
    std::mt19937 rng(7);
    std::string garbage(2u * 1024u * 1024u, '\0');
    for (char& c : garbage) c = static_cast<char>(rng());
    const std::string path = dir.Write("garbage.bin", garbage);

    const Lines lines = gw::ReadConfigLines(path).value;
    std::size_t total = 0;
    for (const std::string& l : lines) total += l.size();
    EXPECT_GT(lines.size(), 1000u);
    EXPECT_LE(total, garbage.size());

    // Forced through the encoded reader: refused at the header.
    EXPECT_EQ(gw::LeggiFileCodificato(path).value, Lines{""});
}

TEST_F(EncodedFilesTest, OversizedFilesReadAsEmpty) {
    // 100 MB: over the size limit.
    const std::string big = dir.Write("big.ini", std::string(100u * 1024u * 1024u, '7'));
    EXPECT_FALSE(gw::FileCodificato(big));
    EXPECT_EQ(gw::LeggiFileTesto(big), Lines{});
    EXPECT_EQ(gw::LeggiFileCodificato(big).value, Lines{});
    EXPECT_EQ(gw::ReadConfigLines(big).value, Lines{});

    // Small in bytes but with more lines than any of these files can have.
    const std::string many = dir.Write("many.ini", std::string(gw::kMaxTextFileLines, '\n'));
    EXPECT_EQ(gw::LeggiFileTesto(many), Lines{});
    const std::string fewer = dir.Write("fewer.ini", std::string(gw::kMaxTextFileLines - 1, '\n'));
    EXPECT_EQ(gw::LeggiFileTesto(fewer).size(), gw::kMaxTextFileLines);
}

}  // namespace
