#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "ImageFixture.h"
#include "link/Commands.h"
#include "model/CorrectionTables.h"
#include "model/EcuRequests.h"
#include "model/VarFile.h"
#include "util/FileIo.h"
#include "util/HexText.h"

using namespace gw;
using namespace gwtest;

namespace {

std::vector<std::string> SplitCrLf(const std::string& s) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < s.size()) {
        const std::size_t e = s.find("\r\n", pos);
        if (e == std::string::npos) {
            lines.push_back(s.substr(pos));
            break;
        }
        lines.push_back(s.substr(pos, e - pos));
        pos = e + 2;
    }
    return lines;
}

class VarFile : public ImageFixture {
protected:
    std::string Save(const std::string& name = "conf.var") {
        const std::string path = dir.File(name);
        std::string err;
        image.CorTableKnown = true;  // as after the table read of a connection
        EXPECT_TRUE(SaveVarFile(image, path, "Bench", "02/03/2024 10:11:12", &err)) << err;
        return path;
    }
};

TEST_F(VarFile, SavedLayout) {
    ReadAll();
    host.SetLocale(NumberLocale::Comma());
    image.Block2.Mode2 = 3;
    image.CorTable[3] = 0.25;
    image.AdtTable[191] = -1.5;
    image.CorTable[185] = 1;
    Save();
    const std::string text = dir.Read("conf.var");
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    const auto lines = SplitCrLf(text);
    ASSERT_EQ(lines.size(), 394u);
    EXPECT_EQ(lines[0], "[INFO]");
    EXPECT_EQ(lines[1], " Software ver. 01.01.03 Bench, file created 02/03/2024 10:11:12");
    EXPECT_EQ(lines[2], "[BLK2]");
    ASSERT_EQ(lines[3].size(), 2u + 28u);
    EXPECT_EQ(lines[3].substr(0, 2), "B2");
    EXPECT_EQ(lines[3].substr(4, 2), "00");  // Mode2 written as 0
    EXPECT_EQ(image.Block2.Mode2, 3);
    EXPECT_EQ(lines[4], "[BLK3]");
    // The ECU runs cylinders 1-4 in mode 3: the file says 1, the image keeps 3.
    EXPECT_EQ(lines[5].substr(2 + 28, 16), "0000000001010101");
    EXPECT_EQ(image.Block3.InjMode[0], 3);
    EXPECT_EQ(lines[6], "[BLK5]");
    EXPECT_EQ(lines[7], "B5" + BytesToHex(std::string(Mem().block5.begin(), Mem().block5.end())));
    EXPECT_EQ(lines[8], "[COR]");
    EXPECT_EQ(lines[9 + 3], "0,25");
    EXPECT_EQ(lines[9 + 185], "1");
    EXPECT_EQ(lines[201], "[ADT]");
    EXPECT_EQ(lines[393], "-1,5");
}

TEST_F(VarFile, SavedConfigurationRestoresAChangedEcu) {
    ReadAll();
    ASSERT_TRUE(ReadCorTable(comm, image.CorTable, scale.K_Time_Inj_ms));
    const auto block3 = Mem().block3;
    const auto block5 = Mem().block5;
    const auto cor = Mem().corTable;
    const std::string path = Save();

    // The ECU is changed behind the workbench's back.
    Mem().block3[2] = 90;
    Mem().block3[6] = 3;
    SimMemory::PutU16(Mem().block3, 22, static_cast<std::uint16_t>(-40));
    Mem().block5[0] = 1;
    SimMemory::PutU16(Mem().block5, 14, 4000);
    Mem().corTable[10] = 77;
    ReadAll();
    ASSERT_EQ(image.Block3.SwtchTemp, 90);

    EXPECT_TRUE(LoadVarFile(image, path));
    auto expected3 = block3;
    for (int i = 0; i < 4; ++i) expected3[static_cast<std::size_t>(14 + 7 - i)] = 1;  // modes as the file has them
    EXPECT_EQ(Mem().block3, expected3);
    EXPECT_EQ(Mem().block5, block5);
    EXPECT_EQ(Mem().corTable, cor);
    EXPECT_EQ(image.Block3Backup.SwtchTemp, 90);  // the image before the load
}

TEST_F(VarFile, ModeAndSlaveStateNeverComeFromAFile) {
    ReadAll();
    ASSERT_TRUE(SendEcuState(image, comm));  // slave
    ASSERT_TRUE(Read(CMD_READ_MEM2));
    const Block2Record now = image.Block2;
    ASSERT_EQ(now.SlaveState, 1);
    const std::string path = dir.Write("b2.var", "B2" "000000" "10000000" "20000000" "000000\r\n");
    EXPECT_TRUE(LoadVarFile(image, path));
    EXPECT_EQ(image.Block2.Mode, now.Mode);
    EXPECT_EQ(image.Block2.Mode2, now.Mode2);
    EXPECT_EQ(image.Block2.SlaveState, 1);
    EXPECT_EQ(image.Block2.Minutes1, 16);
    EXPECT_EQ(Mem().block2[0], now.Mode);
    EXPECT_EQ(Mem().block2[2], 1);
    EXPECT_EQ(Mem().block2[3], 0x10);
}

TEST_F(VarFile, OffLineLoadSendsNothingAndKeepsTheFileInTheImage) {
    ReadAll();
    const std::string path = Save();
    image.Block3.SwtchTemp = 12;
    image.CorTable[0] = 9;
    comm.ComState = kComOffLine;
    ecu->Responder().ResetCounts();
    EXPECT_TRUE(LoadVarFile(image, path));
    EXPECT_EQ(ecu->Responder().TotalCount(), 0);
    EXPECT_EQ(image.Block3.SwtchTemp, 35);
    EXPECT_EQ(image.CorTable[0], 0);
}

TEST_F(VarFile, AFailedWriteRestoresTheBlocksNotAccepted) {
    ReadAll();
    const std::string path = Save();
    const Block2Record b2 = image.Block2;
    const Block3Record b3 = image.Block3;
    const Block5Record b5 = image.Block5;
    // The file differs from the image in every block and the table.
    image.Block2.Flags2 = 9;
    image.Block3.SwtchTemp = 12;
    image.Block5.Soglia1 = 1;
    image.CorTable[5] = 2;
    const Block2Record img2 = image.Block2;
    const Block3Record img3 = image.Block3;
    const Block5Record img5 = image.Block5;

    ecu->Faults().Add(Fault::Status, {.command = CMD_WRT_MEM3, .count = 0, .value = 254});
    EXPECT_FALSE(LoadVarFile(image, path));
    EXPECT_EQ(image.Block2.Flags2, b2.Flags2);  // block 2 was accepted
    EXPECT_EQ(image.Block3, img3);
    EXPECT_EQ(image.Block5, img5);
    EXPECT_EQ(image.CorTable[5], 2);
    EXPECT_EQ(Count(CMD_WRT_MEM5), 0);

    comm.ComState = kComIdle;
    ecu->Faults().Clear();
    ecu->Faults().Add(Fault::Status, {.command = CMD_WRT_MEM2, .count = 0, .value = 254});
    image.Block2 = img2;
    EXPECT_FALSE(LoadVarFile(image, path));
    EXPECT_EQ(image.Block2, img2);
    EXPECT_EQ(image.Block3, img3);
    EXPECT_EQ(Count(CMD_WRT_MEM5), 0);
    (void)b3;
    (void)b5;
}

TEST_F(VarFile, BadInputChangesNothingItCannotRead) {
    comm.ComState = kComOffLine;  // decoding only
    std::string d3(kBlock3Bytes, '\x02');
    image.DecodeBlock3Hex(BytesToHex(d3));
    image.CorTable.fill(5);
    const Block3Record b3 = image.Block3;
    const Block2Record b2 = image.Block2;
    const TimeTable cor = image.CorTable;

    EXPECT_FALSE(LoadVarFile(image, dir.File("missing.var")));
    EXPECT_EQ(image.Block3, b3);

    struct Case {
        const char* what;
        std::string text;
        std::function<void()> check;
    };
    const Case cases[] = {
        {"empty", "", [&] { EXPECT_EQ(image.Block3, b3); }},
        {"garbage hex", "B3ZZZZ\r\nB2QQ\r\n", [&] {
             EXPECT_EQ(image.Block3, b3);
             EXPECT_EQ(image.Block2, b2);
         }},
        {"short B3", "B30503\r\n", [&] {
             EXPECT_EQ(image.Block3.Coils, 5);
             EXPECT_EQ(image.Block3.Cylinders, 3);
             EXPECT_EQ(image.Block3.SwtchTemp, b3.SwtchTemp);
             EXPECT_EQ(image.Block3.BadBit, b3.BadBit);
         }},
        {"odd digit", "B305030\r\n", [&] { EXPECT_EQ(image.Block3.SwtchTemp, b3.SwtchTemp); }},
        {"short COR", "[COR]\r\n1.5\r\nx\r\n\r\n3\r\n[ADT]\r\n7\r\n", [&] {
             EXPECT_EQ(image.CorTable[0], 1.5);
             EXPECT_EQ(image.CorTable[1], 5);  // not a number: unchanged
             EXPECT_EQ(image.CorTable[2], 3);
             EXPECT_EQ(image.CorTable[3], 5);
             EXPECT_EQ(image.AdtTable[0], 7);
         }},
        {"key on the last line", "[COR]", [&] { EXPECT_EQ(image.CorTable, cor); }},
        {"binary", std::string("\0\xff\r\nB5\x80\x81\r\n[ADT]\r\n\xfe", 14), [&] { EXPECT_EQ(image.Block3, b3); }},
    };
    for (const auto& c : cases) {
        image.Block3 = b3;
        image.Block2 = b2;
        image.CorTable = cor;
        image.AdtTable.fill(0);
        EXPECT_TRUE(LoadVarFile(image, dir.Write("bad.var", c.text))) << c.what;
        c.check();
    }

    // A huge file is not read at all.
    image.Block3 = b3;
    const std::string big = dir.Write("big.var", "B30101\r\n");
    std::filesystem::resize_file(big, 100u * 1024u * 1024u);
    EXPECT_FALSE(LoadVarFile(image, big));
    EXPECT_EQ(image.Block3, b3);
}

class OldFirmware : public ImageFixture {
protected:
    OldFirmware() : ImageFixture(SimIdentity::OldFirmware()) {}
};

TEST_F(OldFirmware, NoBlock5SavedOrLoaded) {
    ReadAll();
    ASSERT_EQ(image.EcuFirmwareVersion(), 132);
    const std::string path = dir.File("old.var");
    image.CorTableKnown = true;
    ASSERT_TRUE(SaveVarFile(image, path, "Bench", "now"));
    EXPECT_EQ(dir.Read("old.var").find("[BLK5]"), std::string::npos);

    image.Block5.Soglia1 = 1234;
    const Block5Record b5 = image.Block5;
    ecu->Responder().ResetCounts();
    EXPECT_TRUE(LoadVarFile(image, path));
    EXPECT_EQ(image.Block5, b5);
    EXPECT_EQ(Count(CMD_WRT_MEM3), 1);
    EXPECT_EQ(Count(CMD_WRT_TBL_COR), 4);

    // A file from a newer ECU: its block 5 is never sent to this one.
    std::string text = dir.Read("old.var");
    text.insert(text.find("[COR]"), "[BLK5]\r\nB5" + std::string(46, '1') + "\r\n");
    const std::string withB5 = dir.Write("b5.var", text);
    ecu->Responder().ResetCounts();
    EXPECT_TRUE(LoadVarFile(image, withB5));
    EXPECT_EQ(Count(CMD_WRT_MEM5), 0);
    EXPECT_EQ(Count(CMD_WRT_MEM2), 1);
}

TEST_F(VarFile, DefaultInstallationAndItsCylinderRule) {
    const std::string shipped = ReadWholeFile(std::string(GW_SOURCE_DIR) + "/data/LNG/Default.Xar").value_or("");
    ASSERT_FALSE(shipped.empty());
    const std::string path = dir.Write("LNG/Default.Xar", shipped);
    ReadAll();
    EXPECT_TRUE(LoadVarFile(image, path));
    EXPECT_EQ(Mem().Cylinders(), 4);
    EXPECT_EQ(Mem().Coils(), 4);
    EXPECT_EQ(image.Block3.SwtchRpm, 1800);
    EXPECT_EQ(image.Block5.Soglia1, 2750);
    EXPECT_EQ(Mem().corTable[185], 1000);

    // An ECU whose variant code is the six-cylinder one gets six cylinders, off-line too.
    comm.ComState = kComOffLine;
    scale.SL_6Cil = "262";
    std::string memo(16, '\0');
    memo[8] = static_cast<char>(262 & 0xFF);
    memo[9] = static_cast<char>(262 >> 8);
    comm.MemoDataCollaudo = AnswerFrame(CMD_READ_DCOL_FL, memo);
    EXPECT_TRUE(LoadVarFile(image, path));
    EXPECT_EQ(image.Block3.Cylinders, 6);
    EXPECT_EQ(image.Block3.InjMode[5], 1);
    EXPECT_EQ(image.Block3.SwtchRpm, 1200);  // 4 coils, 6 cylinders: 10 000 000 / 8333

    // The same file elsewhere is an ordinary configuration.
    const std::string other = dir.Write("copy.var", shipped);
    EXPECT_TRUE(LoadVarFile(image, other));
    EXPECT_EQ(image.Block3.Cylinders, 4);
}

TEST_F(VarFile, Block5LineForTheUpgrade) {
    const std::string missing = dir.File("BIN/blk5.txt");
    Warnings warnings;
    EXPECT_FALSE(LoadBlock5Line(image, missing, warnings));
    EXPECT_EQ(warnings, (Warnings{{"SISTEM ERROR\r\n\r\nFile: " + missing + " not found!", "SYSTEM ERROR",
                                   MsgIcon::Critical}}));
    EXPECT_TRUE(host.Messages().empty());

    ecu->Responder().ResetCounts();
    dir.Write("BIN/blk5.txt", "\r\n  B50100000000000000000000000014BE0ACA0800E8035802\r\nB5FF\r\n");
    EXPECT_TRUE(LoadBlock5Line(image, missing, warnings));
    EXPECT_EQ(image.Block5.NotOsservaRpm, 1);
    EXPECT_EQ(image.Block5.SwtchSeq, 20);
    EXPECT_EQ(image.Block5.RpmLow, 600);
    EXPECT_EQ(ecu->Responder().TotalCount(), 0);
}

}  // namespace
