#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>

#include "link/FirmwareIdentity.h"
#include "link/FirmwareImage.h"
#include "sim/SimMemory.h"
#include "support/TempDir.h"
#include "util/EventHost.h"

using namespace gw;
using namespace gwtest;

namespace {

// One S2 record with a correct checksum.
std::string S2(std::uint32_t address, const std::string& data) {
    char buf[8];
    unsigned sum = static_cast<unsigned>(data.size() + 4);
    std::string body;
    std::snprintf(buf, sizeof buf, "%02X", static_cast<unsigned>(data.size() + 4));
    body += buf;
    std::snprintf(buf, sizeof buf, "%06X", address);
    body += buf;
    sum += (address >> 16) + ((address >> 8) & 0xFF) + (address & 0xFF);
    for (unsigned char c : data) {
        std::snprintf(buf, sizeof buf, "%02X", c);
        body += buf;
        sum += c;
    }
    std::snprintf(buf, sizeof buf, "%02X", ~sum & 0xFF);
    return "S2" + body + buf;
}

// The maker's encoded form: every character as four digits of twice its code, reversed.
std::string EncodeLine(const std::string& plain) {
    std::string digits;
    char buf[8];
    for (unsigned char c : plain) {
        std::snprintf(buf, sizeof buf, "%04u", 2u * c);
        digits += buf;
    }
    return std::string(digits.rbegin(), digits.rend());
}

std::string Lines(std::initializer_list<std::string> lines) {
    std::string s;
    for (const auto& l : lines) s += l + "\r\n";
    return s;
}

const std::string kLayout = Lines({"H00F80000 H00F8FFFF", "H00F90000 H00FFFFFF"});

class FirmwareImageFile : public ::testing::Test {
protected:
    FirmwareImageFile() { dir.Write("BIN/Flash.ini", kLayout); }
    void LoadLayout() {
        ASSERT_TRUE(image.LeggiFlashIni(dir.File("BIN/Flash.ini")));
        ASSERT_TRUE(image.RedimTableFlash(image.LargFlash, false));
    }
    bool Load(const std::string& text) {
        return image.CaricaFirmware(dir.Write("BIN/Norvik512.frh", text), &host);
    }
    std::uint8_t At(std::uint32_t address) const { return image.TableFlash.at(address - 0xF80000); }

    TempDir dir;
    VirtualHost host;
    FirmwareImage image;
};

}  // namespace

// ---- the flash layout ----

TEST_F(FirmwareImageFile, LayoutBlocksAndWidth) {
    dir.Write("BIN/Flash.ini", "\r\nH00F80000 - H00F8FFFF  \r\n\r\n  h00f90000\th00ffffff\r\n");
    ASSERT_TRUE(image.LeggiFlashIni(dir.File("BIN/Flash.ini")));
    EXPECT_EQ(image.FlashBlockCount, 2);
    EXPECT_EQ(image.BFlash[0][0], 0xF80000);
    EXPECT_EQ(image.BFlash[0][1], 0xF8FFFF);
    EXPECT_EQ(image.BFlash[1][0], 0xF90000);
    EXPECT_EQ(image.BFlash[1][1], 0xFFFFFF);
    EXPECT_EQ(image.LargFlash, 0x7FFFF);
    EXPECT_EQ(image.BlockOf(0xF8FFFF), 0);
    EXPECT_EQ(image.BlockOf(0xFF8000), 1);
    EXPECT_EQ(image.BlockOf(0xF7FFFF), -1);
    EXPECT_EQ(image.BlockOf(0), -1);  // unused rows are no block
}

TEST_F(FirmwareImageFile, FourteenBlocksAreTheMost) {
    std::string fourteen, fifteen;
    char buf[40];
    for (int i = 0; i < 15; ++i) {
        std::snprintf(buf, sizeof buf, "H%08X H%08X\r\n", 0x100000 * i, 0x100000 * i + 0xFFFF);
        (i < 14 ? fourteen : fifteen) += buf;
    }
    fifteen = fourteen + fifteen;
    dir.Write("BIN/14.ini", fourteen);
    dir.Write("BIN/15.ini", fifteen);
    ASSERT_TRUE(image.LeggiFlashIni(dir.File("BIN/14.ini")));
    EXPECT_EQ(image.FlashBlockCount, 14);
    EXPECT_FALSE(image.LeggiFlashIni(dir.File("BIN/15.ini")));
    EXPECT_EQ(image.FlashBlockCount, 14);  // the layout read before stays
    EXPECT_EQ(image.BFlash[13][0], 0xD00000);
}

TEST_F(FirmwareImageFile, BadLayoutsAreRefusedAndKeepTheLayoutBefore) {
    LoadLayout();
    const std::string bad[] = {
        "",                                         // no block
        "\r\n  \r\n",                               // no block
        "H00F80000\r\nGARBAGE\r\n",                 // a line not understood
        "H00F8000 H00F8FFFF\r\n",                   // seven digits
        "X00F80000 H00F8FFFF\r\n",                  // no H
        "H00F8000G H00F8FFFF\r\n",                  // not hexadecimal
        "H00F8FFFF H00F80000\r\n",                  // last before first
        "H00F90000 H00F9FFFF\r\nH00F80000 H00F8FFFF\r\n",  // out of order
        "H00F80000 H00F8FFFF\r\nH00F8FFFF H00F9FFFF\r\n",  // overlapping
        "H00000000 HFFFFFFFF\r\n",                  // 4 GB: beyond the 24-bit space
        "H01000000 H01000FFF\r\n",                  // beyond the 24-bit space
        std::string("\x00\xFF\x13H\r\n\x01", 7),    // binary garbage
    };
    for (const auto& text : bad) {
        dir.Write("BIN/bad.ini", text);
        EXPECT_FALSE(image.LeggiFlashIni(dir.File("BIN/bad.ini"))) << text;
        EXPECT_FALSE(image.LastError.empty());
        EXPECT_EQ(image.FlashBlockCount, 2);
        EXPECT_EQ(image.LargFlash, 0x7FFFF);
    }
    EXPECT_FALSE(image.LeggiFlashIni(dir.File("BIN/none.ini")));
    // The whole 24-bit space is the largest layout.
    dir.Write("BIN/big.ini", "H00000000 H00FFFFFF\r\n");
    ASSERT_TRUE(image.LeggiFlashIni(dir.File("BIN/big.ini")));
    EXPECT_EQ(image.LargFlash, 0xFFFFFF);
    EXPECT_TRUE(image.RedimTableFlash(image.LargFlash, false));
    EXPECT_EQ(image.TableFlashUBound(), 0xFFFFFF);
    EXPECT_FALSE(image.RedimTableFlash(0x1000000, false));
}

TEST_F(FirmwareImageFile, HugeFilesAreRefusedWithoutReadingThem) {
    LoadLayout();
    const std::string path = dir.File("BIN/huge.txt");
    {
        std::ofstream out(path, std::ios::binary);
        std::string line = "H00F80000 H00F8FFFF\r\n";
        out.seekp(100 * 1024 * 1024);
        out << line;
    }
    EXPECT_FALSE(image.LeggiFlashIni(path));
    EXPECT_FALSE(image.CaricaFirmware(path));
    EXPECT_TRUE(IndirizziFirmware(path).value.empty());
}

TEST_F(FirmwareImageFile, RedimKeepsOrErases) {
    ASSERT_TRUE(image.RedimTableFlash(3, false));
    EXPECT_EQ(image.TableFlash, (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));
    image.TableFlash[1] = 7;
    ASSERT_TRUE(image.RedimTableFlash(5, true));
    EXPECT_EQ(image.TableFlash, (std::vector<std::uint8_t>{0xFF, 7, 0xFF, 0xFF, 0xFF, 0xFF}));
    ASSERT_TRUE(image.RedimTableFlash(5, false));
    EXPECT_EQ(image.TableFlash[1], 0xFF);
    ASSERT_TRUE(image.RedimTableFlash(-1, false));
    EXPECT_EQ(image.TableFlashUBound(), -1);
}

// ---- the image file ----

TEST_F(FirmwareImageFile, PlainRecordsWithTheIdentityAddressKey) {
    LoadLayout();
    ASSERT_TRUE(Load(Lines({"S00600004844521B", S2(0xF80000, "\x01\x02\x03"), "S1130000FFFF", S2(0xF80100, "AB"),
                            "[AdrFrmwarEcu]", "FF8000"})));
    EXPECT_EQ(image.AdrFrmwarEcu, "FF8000");
    EXPECT_EQ(At(0xF80000), 1);
    EXPECT_EQ(At(0xF80002), 3);
    EXPECT_EQ(At(0xF80003), 0xFF);
    EXPECT_EQ(At(0xF80101), 'B');
    EXPECT_EQ(image.Report.records, 2);
    EXPECT_EQ(image.Report.malformed, 0);
    EXPECT_EQ(image.Report.badChecksum, 0);
}

TEST_F(FirmwareImageFile, LinesFromTheKeyOnAreDropped) {
    LoadLayout();
    ASSERT_TRUE(Load(Lines({S2(0xF80000, "A"), "[AdrFrmwarEcu]", "00FF8000", S2(0xF80001, "B")})));
    EXPECT_EQ(At(0xF80000), 'A');
    EXPECT_EQ(At(0xF80001), 0xFF);
    EXPECT_EQ(IndirizziFirmware(dir.File("BIN/Norvik512.frh")).value, std::vector<std::string>{"F80000"});

    // The key on the last line: no address, the one known stays.
    image.AdrFrmwarEcu = "00FF8000";
    ASSERT_TRUE(Load(S2(0xF80000, "A") + "\r\n[AdrFrmwarEcu]"));
    EXPECT_EQ(image.AdrFrmwarEcu, "00FF8000");
    // An address that is not hexadecimal is not taken.
    ASSERT_TRUE(Load(Lines({"[AdrFrmwarEcu]", "FF80ZZ"})));
    EXPECT_EQ(image.AdrFrmwarEcu, "00FF8000");
    EXPECT_FALSE(image.LastError.empty());
}

TEST_F(FirmwareImageFile, BytesOutsideTheImageAreNotWritten) {
    LoadLayout();
    const std::string edge(8, 'E');
    ASSERT_TRUE(Load(Lines({
        S2(0x000010, "LOW"),           // far below the first block
        S2(0xF7FFFE, "xyZZ"),          // straddles the first address: ZZ inside
        S2(0xFFFFFC, edge),            // straddles the end: 4 inside
        "S2FFFFFFFF0",                 // one digit short: malformed
        S2(0xFFFFFF, "!"),             // the last byte of the image
    })));
    EXPECT_EQ(image.TableFlash.size(), 0x80000u);
    EXPECT_EQ(At(0xF80000), 'Z');
    EXPECT_EQ(At(0xF80001), 'Z');
    EXPECT_EQ(At(0xFFFFFC), 'E');
    EXPECT_EQ(At(0xFFFFFF), '!');
    EXPECT_EQ(image.Report.outsideBytes, 3 + 2 + 4);
    EXPECT_EQ(image.Report.malformed, 1);

    // Without a layout nothing can be written.
    FirmwareImage empty;
    ASSERT_TRUE(empty.CaricaFirmware(dir.File("BIN/Norvik512.frh")));
    EXPECT_TRUE(empty.TableFlash.empty());
    EXPECT_EQ(empty.IdentityText(), "");
}

TEST_F(FirmwareImageFile, MalformedRecordsAreSkipped) {
    LoadLayout();
    const std::string good = S2(0xF80010, "OK");
    std::string badChecksum = S2(0xF80020, "CK");
    badChecksum.back() = badChecksum.back() == '0' ? '1' : '0';
    ASSERT_TRUE(Load(Lines({
        "S2",                               // too short
        S2(0xF80030, ""),                   // a record without data
        "S206F800004142F",                  // odd digit count
        "S206F80000G142FF",                 // not hexadecimal
        "S206F80000414\xFF" "FF",           // a raw byte
        std::string("S2\x00\x00", 4),
        good + "   ",                       // trailing blanks are fine
        badChecksum,                        // taken all the same, counted
        "S3070000000041B6",                 // other record kinds are ignored
        "garbage line",
    })));
    EXPECT_EQ(At(0xF80010), 'O');
    EXPECT_EQ(At(0xF80011), 'K');
    EXPECT_EQ(At(0xF80020), 'C');
    EXPECT_EQ(image.Report.records, 3);  // the empty record, good, bad checksum
    EXPECT_EQ(image.Report.malformed, 5);
    EXPECT_EQ(image.Report.badChecksum, 1);
    EXPECT_EQ(At(0xF80000), 0xFF);
}

TEST_F(FirmwareImageFile, MissingEmptyAndBinaryFiles) {
    LoadLayout();
    EXPECT_FALSE(image.CaricaFirmware(dir.File("BIN/none.frh")));
    EXPECT_TRUE(IndirizziFirmware(dir.File("BIN/none.frh")).value.empty());
    EXPECT_TRUE(Load(""));
    std::string noise;
    for (int i = 0; i < 5000; ++i) noise += static_cast<char>((i * 7919) & 0xFF);
    EXPECT_TRUE(Load(noise));
    EXPECT_EQ(image.Report.records, 0);
    for (auto b : image.TableFlash) ASSERT_EQ(b, 0xFF);
}

TEST_F(FirmwareImageFile, EncodedImageLoadsLikeThePlainOne) {
    LoadLayout();
    std::string desc = "KD452 CUSTOMER 0815";
    desc.resize(32, ' ');
    const std::string id = std::string("\x01\x40\x15\x03\x20\x10", 6) + desc;
    const std::vector<std::string> plain = {S2(0xF80000, "CODE"), S2(0xFF8000, id.substr(0, 20)),
                                            S2(0xFF8014, id.substr(20)), "[AdrFrmwarEcu]", "FF8000"};
    std::string encoded = EncodeLine("BASILISCO") + "\r\n";
    for (const auto& l : plain) encoded += EncodeLine(l) + "\r\n";
    ASSERT_TRUE(Load(encoded));
    EXPECT_EQ(image.AdrFrmwarEcu, "FF8000");
    EXPECT_EQ(At(0xF80003), 'E');
    EXPECT_EQ(image.IdentityText(), "014015032010" + desc);
    EXPECT_EQ(IndirizziFirmware(dir.File("BIN/Norvik512.frh")).value,
              (std::vector<std::string>{"F80000", "FF8000", "FF8014"}));
    EXPECT_TRUE(image.Report.warnings.empty());
    EXPECT_TRUE(host.Messages().empty());
}

TEST_F(FirmwareImageFile, IdentityRecordMustLieInsideTheImage) {
    LoadLayout();
    image.AdrFrmwarEcu = "FFFFF0";  // 38 bytes would run past the end
    EXPECT_EQ(image.IdentityText(), "");
    image.AdrFrmwarEcu = "F7FFFF";
    EXPECT_EQ(image.IdentityText(), "");
    image.AdrFrmwarEcu = "FFFFD9";  // the last 38 bytes
    EXPECT_EQ(image.IdentityText().size(), 12u + 32u);
}

TEST_F(FirmwareImageFile, ZonesArePaddedWithErasedBytes) {
    LoadLayout();
    ASSERT_TRUE(Load(Lines({S2(0xF80000, "Z"), S2(0xFFFFFF, "L")})));
    EXPECT_EQ(image.Zone(0xF80000)[0], 'Z');
    EXPECT_EQ(static_cast<unsigned char>(image.Zone(0xF80000)[1]), 0xFF);
    const std::string last = image.Zone(0xFFFF80);
    EXPECT_EQ(last.size(), 128u);
    EXPECT_EQ(last[127], 'L');
    const std::string past = image.Zone(0xFFFFC0);  // half outside the image
    EXPECT_EQ(past[63], 'L');
    EXPECT_EQ(static_cast<unsigned char>(past[64]), 0xFF);
}

// ---- the files that ship ----

TEST(ShippedFirmware, LayoutAndImageMatchTheSimulatedEcu) {
    FirmwareImage image;
    const std::string bin = std::string(GW_SOURCE_DIR) + "/data/BIN/";
    ASSERT_TRUE(image.LeggiFlashIni(bin + "Flash.ini"));
    EXPECT_EQ(image.BFlash[0][0], static_cast<std::int32_t>(SimMemory::FlashFirst));
    EXPECT_EQ(image.BFlash[image.FlashBlockCount - 1][1], static_cast<std::int32_t>(SimMemory::FlashLast));
    ASSERT_TRUE(image.RedimTableFlash(image.LargFlash, false));
    ASSERT_TRUE(image.CaricaFirmware(bin + "Norvik512.frh"));
    EXPECT_EQ(image.Report.malformed, 0);
    EXPECT_EQ(image.Report.outsideBytes, 0);
    EXPECT_EQ(image.Report.badChecksum, 0);

    // The image's identity is the simulated ECU's default one.
    SimMemory ecu;
    const auto record = ecu.IdentityRecord();
    EXPECT_EQ(image.IdentityText(), IdentityTextFromRecord(std::string(record.begin(), record.end())));
    EXPECT_EQ(FirmwareIdentity::Parse(image.IdentityText()).CODICE, "0815");

    // A realistic image: a few hundred written zones spread over several blocks, with
    // erased zones between them.
    int written = 0;
    std::set<int> blocks;
    for (std::uint32_t off = 0; off <= static_cast<std::uint32_t>(image.LargFlash); off += 128) {
        const std::string zone = image.Zone(image.FirstAddress() + off);
        if (zone != std::string(128, '\xFF')) {
            ++written;
            blocks.insert(image.BlockOf(image.FirstAddress() + off));
        }
    }
    EXPECT_GE(written, 200);
    EXPECT_LE(written, 600);
    EXPECT_GE(blocks.size(), 4u);
    // Every record address lies in a block of the layout.
    for (const auto& a : IndirizziFirmware(bin + "Norvik512.frh").value)
        ASSERT_GE(image.BlockOf(static_cast<std::uint32_t>(std::stoul(a, nullptr, 16))), 0) << a;
}
