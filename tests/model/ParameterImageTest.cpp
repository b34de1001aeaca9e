#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "ImageFixture.h"
#include "link/Commands.h"
#include "model/ParameterImage.h"
#include "util/HexText.h"

using namespace gw;
using namespace gwtest;

namespace {

// An image whose link is never used: decoders and rules only.
class Image : public ::testing::Test {
protected:
    Image() : ports(host), comm(host, ports, dir.Path()), image(scale, comm) {}
    struct NoPorts : PortProvider {
        explicit NoPorts(VirtualHost&) {}
        std::unique_ptr<Port> MakeCom(int) override { return nullptr; }
        int CountUsbDevices() override { return 0; }
        std::unique_ptr<Port> MakeUsb(int) override { return nullptr; }
        std::unique_ptr<Port> MakeSimulated() override { return nullptr; }
    };
    static std::string Bytes(std::initializer_list<int> v) {
        std::string s;
        for (int b : v) s += static_cast<char>(b);
        return s;
    }
    static void PutU16(std::string& d, std::size_t at, int v) {
        d[at] = static_cast<char>(v & 0xFF);
        d[at + 1] = static_cast<char>((v >> 8) & 0xFF);
    }
    static std::string RandomData(std::size_t n, unsigned seed) {
        std::mt19937 rng(seed);
        std::string d(n, '\0');
        for (auto& c : d) c = static_cast<char>(rng() & 0xFF);
        return d;
    }

    TempDir dir;
    VirtualHost host;
    NoPorts ports;
    ClsComm comm;
    ScaleConfig scale;
    ParameterImage image;
};

TEST_F(Image, PerInjectorArraysArriveReversedAndGoBackInDataOrder) {
    std::string d1(kBlock1Bytes, '\0');
    for (int k = 0; k < 8; ++k) {
        PutU16(d1, 2 * k, 100 + k);        // petrol
        PutU16(d1, 16 + 2 * k, 200 + k);   // gas
        PutU16(d1, 48 + 2 * k, -(10 + k)); // third set, signed
    }
    scale.AddTimeSwitch = false;
    image.DecodeBlock1(AnswerFrame(CMD_READ_MEM1, d1));
    EXPECT_DOUBLE_EQ(image.Block1.InjTimeBnz[7], 100 * 0.008);
    EXPECT_DOUBLE_EQ(image.Block1.InjTimeBnz[0], 107 * 0.008);
    EXPECT_DOUBLE_EQ(image.Block1.InjTimeGas[7], 200 * 0.008);
    EXPECT_DOUBLE_EQ(image.Block1.InjTimeAux[7], -10 * 0.008);
    EXPECT_DOUBLE_EQ(image.Block1.InjTimeAux[0], -17 * 0.008);

    std::string d3 = RandomData(kBlock3Bytes, 7);
    d3[0] = 4;
    d3[1] = 4;
    for (int k = 0; k < 8; ++k) d3[static_cast<std::size_t>(14 + k)] = static_cast<char>(k);
    PutU16(d3, 22, -5);  // first offset entry
    image.DecodeBlock3(AnswerFrame(CMD_READ_MEM3, d3));
    for (int k = 0; k < 8; ++k) EXPECT_EQ(image.Block3.InjMode[static_cast<std::size_t>(7 - k)], k);
    EXPECT_DOUBLE_EQ(image.Block3.InjOffset[7], -5 * 0.008);
    EXPECT_EQ(image.EncodeBlock3(), BytesToHex(d3));
}

TEST_F(Image, DecodeThenEncodeGivesTheSameBytes) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::string d2 = RandomData(kBlock2Bytes, seed);
        d2[11] = static_cast<char>(seed % 2);  // AbilAcq bytes are 0/1
        d2[12] = 1;
        image.DecodeBlock2(AnswerFrame(CMD_READ_MEM2, d2));
        EXPECT_EQ(image.EncodeBlock2(), BytesToHex(d2)) << seed;

        std::string d3 = RandomData(kBlock3Bytes, seed + 100);
        d3[0] = static_cast<char>(1 + seed % 8);
        d3[1] = static_cast<char>(1 + (seed * 3) % 8);
        image.DecodeBlock3(AnswerFrame(CMD_READ_MEM3, d3));
        EXPECT_EQ(image.EncodeBlock3(), BytesToHex(d3)) << seed;

        const std::string d5 = RandomData(kBlock5LongBytes, seed + 200);
        image.DecodeBlock5(AnswerFrame(CMD_READ_MEM5, d5));
        EXPECT_EQ(image.EncodeBlock5(), BytesToHex(d5)) << seed;
    }
}

TEST_F(Image, CountsOutOfRangeBecomeFourAndAreWrittenBack) {
    struct Case {
        int coils, cylinders, wantCoils, wantCylinders;
        bool writeBack;
    } cases[] = {{0, 4, 4, 4, true}, {9, 4, 4, 4, true}, {4, 0, 4, 4, true},
                 {2, 9, 2, 4, true}, {8, 6, 8, 6, false}};
    for (const auto& c : cases) {
        image.ResetPendingRecords();
        image.Block3WriteRequest = 0;
        std::string d(kBlock3Bytes, '\0');
        d[0] = static_cast<char>(c.coils);
        d[1] = static_cast<char>(c.cylinders);
        image.DecodeBlock3(AnswerFrame(CMD_READ_MEM3, d));
        EXPECT_EQ(image.Block3.Coils, c.wantCoils);
        EXPECT_EQ(image.Block3.Cylinders, c.wantCylinders);
        EXPECT_EQ(image.Block3WriteRequest, c.writeBack ? 1 : 0);
        EXPECT_DOUBLE_EQ(image.K_Rpm, c.wantCoils * 240000000.0 / (c.wantCylinders * 16.0));
        const std::string hex = image.EncodeBlock3();
        EXPECT_EQ(HexByte(hex.substr(0, 2)), c.wantCoils);
        EXPECT_EQ(HexByte(hex.substr(2, 2)), c.wantCylinders);
    }
}

TEST_F(Image, SwitchOverSpeedFromItsPeriod) {
    std::string d(kBlock3Bytes, '\0');
    d[0] = 4;
    d[1] = 4;  // K_Rpm 15 000 000
    PutU16(d, 4, 65535);
    image.DecodeBlock3(AnswerFrame(CMD_READ_MEM3, d));
    EXPECT_EQ(image.Block3.SwtchRpm, 0);
    EXPECT_EQ(image.EncodeBlock3().substr(8, 4), "FFFF");  // unchanged: the period goes back as it was

    PutU16(d, 4, 8333);
    image.DecodeBlock3(AnswerFrame(CMD_READ_MEM3, d));
    EXPECT_EQ(image.Block3.SwtchRpm, 1800);
    image.Block3Pending.SwtchRpm = 2000;
    EXPECT_EQ(HexU16(image.EncodeBlock3().substr(8, 4)), 7500);
    image.Block3Pending.SwtchRpm = 0;
    EXPECT_EQ(image.EncodeBlock3().substr(8, 4), "FFFF");

    // More coils than 8: speed constant 1.
    d[0] = 9;
    EXPECT_DOUBLE_EQ((image.Block3.Coils = 9, image.SpeedConstant()), 1.0);
}

TEST_F(Image, ShortBlock5TakesTheExtensionDefaults) {
    const std::string d5 = RandomData(kBlock5LongBytes, 3);
    image.DecodeBlock5(AnswerFrame(CMD_READ_MEM5, d5));
    const std::string shortData = RandomData(kBlock5ShortBytes, 4);
    image.DecodeBlock5(AnswerFrame(CMD_READ_MEM5, shortData));
    EXPECT_EQ(image.Block5.SwtchSeq, 0);
    EXPECT_EQ(image.Block5.Soglia1, 2750);
    EXPECT_EQ(image.Block5.ShoRpm, 2250);
    EXPECT_EQ(image.Block5.Expert18, 0);
    EXPECT_EQ(image.Block5.RpmHight, 1000);
    EXPECT_EQ(image.Block5.RpmLow, 600);
    EXPECT_EQ(image.Block5EcuBytes, kBlock5ShortBytes);
    const std::string hex = image.EncodeBlock5();
    EXPECT_EQ(hex.size(), 28u);
    EXPECT_EQ(hex.substr(0, 26), BytesToHex(shortData).substr(0, 26));
}

TEST_F(Image, AnswersOfTheWrongLengthDecodeOnlyWhatIsThere) {
    std::string d3(kBlock3Bytes, '\0');
    d3[0] = 4;
    d3[1] = 4;
    d3[73] = 5;  // BadBit
    PutU16(d3, 40, 1234);
    image.DecodeBlock3(AnswerFrame(CMD_READ_MEM3, d3));
    const Block3Record before = image.Block3;

    // Data cut in the middle of Level[0]: the fields before it are decoded, the rest stay.
    std::string cut = d3.substr(0, 41);
    cut[38] = 3;  // TpyGLS
    image.DecodeBlock3(AnswerFrame(CMD_READ_MEM3, cut));
    EXPECT_EQ(image.Block3.TpyGLS, 3);
    EXPECT_EQ(image.Block3.Level[0], 1234);
    EXPECT_EQ(image.Block3.BadBit, 5);

    // Frames without data, and shorter than a header, change nothing.
    image.Block3 = before;
    image.DecodeBlock3(AnswerFrame(CMD_READ_MEM3, ""));
    image.DecodeBlock3(std::string("\x42\x01", 2));
    image.DecodeBlock2(std::string());
    image.DecodeBlock5(std::string("\x42", 1));
    EXPECT_EQ(image.Block3, before);
    EXPECT_FALSE(image.Block3Changed);

    const Block1Record live = image.Block1;
    image.DecodeBlock1(AnswerFrame(CMD_READ_MEM1, std::string(84, '\x11')));  // one byte short
    EXPECT_EQ(image.Block1.GasLevelRaw, live.GasLevelRaw);
    EXPECT_EQ(image.Block1.SupplyV, 0x1111 * scale.K_VBat_V);

    // Garbage in hexadecimal text: the bad field keeps its value, the next is read.
    image.DecodeBlock2Hex("03ZZ01");
    EXPECT_EQ(image.Block2.Mode, 3);
    EXPECT_EQ(image.Block2.Mode2, 0);
    EXPECT_EQ(image.Block2.SlaveState, 1);
}

TEST_F(Image, LiveValuesConversions) {
    std::string d(kBlock1Bytes, '\0');
    d[0] = 4;
    d[1] = 4;
    image.DecodeBlock3(AnswerFrame(CMD_READ_MEM3, std::string("\x04\x04", 2)));  // K_Rpm 15e6
    PutU16(d, 16, 250);   // gas time of injector data 0 (element 7): 2 ms
    PutU16(d, 18, 0);     // a zero gas time gets nothing added
    PutU16(d, 64, 20000); // 750 rpm
    PutU16(d, 70, 800);
    PutU16(d, 81, 400);
    PutU16(d, 77, -12);
    scale.AddTimeSwitch = true;
    image.Block1.Rpm = 99;
    host.Advance(5000);
    image.DecodeBlock1(AnswerFrame(CMD_READ_MEM1, d));
    EXPECT_EQ(image.Block1Prev.Rpm, 99);
    EXPECT_DOUBLE_EQ(image.Block1.SampleTimeMs, host.MicroClock() / 1000);
    EXPECT_NEAR(image.Block1.InjTimeGas[7], 2.6, 1e-12);
    EXPECT_EQ(image.Block1.InjTimeGas[6], 0);
    EXPECT_EQ(image.Block1.Rpm, 750);
    EXPECT_DOUBLE_EQ(image.Block1.LambdaV, 0.8);
    EXPECT_DOUBLE_EQ(image.Block1.SupplyV, 400 * 0.0328125);
    EXPECT_EQ(image.Block1.TempReducer, -12);
    // Ties go to the even speed: 15e6 / 12000 = 1250 exactly; 15e6/ 24000 = 625 exactly;
    // 15e6 / 16 = 937500; a period giving x.5: 15e6 / 40000 = 375.
    PutU16(d, 64, 0);
    image.DecodeBlock1(AnswerFrame(CMD_READ_MEM1, d));
    EXPECT_EQ(image.Block1.Rpm, 0);  // no pulses: standing engine
    image.Block3.Coils = 1;
    image.Block3.Cylinders = 8;
    image.K_Rpm = image.SpeedConstant();  // 1 875 000
    PutU16(d, 64, 48000);                 // 39.0625
    image.DecodeBlock1(AnswerFrame(CMD_READ_MEM1, d));
    EXPECT_EQ(image.Block1.Rpm, 39);
    image.K_Rpm = 25;
    PutU16(d, 64, 2);  // 12.5 -> 12
    image.DecodeBlock1(AnswerFrame(CMD_READ_MEM1, d));
    EXPECT_EQ(image.Block1.Rpm, 12);
    image.K_Rpm = 27;  // 13.5 -> 14
    image.DecodeBlock1(AnswerFrame(CMD_READ_MEM1, d));
    EXPECT_EQ(image.Block1.Rpm, 14);
}

TEST_F(Image, PendingRecordsMergeOnceAndUseTheirMarkers) {
    image.DecodeBlock2(AnswerFrame(CMD_READ_MEM2, Bytes({3, 3, 1, 0x39, 0x30, 0, 0, 5, 0, 0, 0, 1, 1, 7})));
    image.Block2Pending.Minutes1 = -1;   // clears the counter in the ECU
    image.Block2Pending.AbilAcq[0] = 0;  // taken
    image.Block2Pending.AbilAcq[1] = 2;  // not 0 or 1: ignored
    image.Block2Pending.Mode = 0;
    const std::string hex = image.EncodeBlock2();
    EXPECT_EQ(hex, "000301FFFFFFFF05000000000107");
    EXPECT_EQ(image.Block2.Mode, 0);
    EXPECT_EQ(image.Block2Pending.Mode, kNoChangeByte);
    EXPECT_EQ(image.Block2Pending.Minutes1, 0);
    EXPECT_EQ(image.Block2Pending.AbilAcq[1], kNoChangeByte);

    // Signed offsets take negative values; the marker is 99999999.
    image.Block3Pending.InjOffset[7] = -0.8;
    image.Block3Pending.InjTime1 = 2.5;
    image.Block3Pending.Level[2] = 0;
    const std::string h3 = image.EncodeBlock3();
    EXPECT_EQ(h3.substr(44, 4), "9CFF");  // data entry 0 is element 7: -100 counts
    EXPECT_EQ(HexU16(h3.substr(16, 4)), 312);
    EXPECT_EQ(image.Block3Pending.InjOffset[7], kNoChangeSigned);
    EXPECT_EQ(image.Block3Pending.Level[2], kNoChangeInt);
    EXPECT_EQ(image.Block3Pending.AbilComp, kNoChangeInt);

    // A value too wide for its field is clamped, never shifting the fields after it.
    image.Block3Pending.SwtchTemp = 70000;
    image.Block3Pending.TpyInj = 300;
    const std::string h3b = image.EncodeBlock3();
    EXPECT_EQ(h3b.size(), 148u);
    EXPECT_EQ(h3b.substr(4, 4), "FFFF");
    EXPECT_EQ(h3b.substr(12, 2), "FF");

    // The answer to a block 2 write: the mode fields go back to no change.
    image.Block2Pending.Mode = 3;
    image.Block2Pending.Mode2 = 3;
    image.Block2Written();
    EXPECT_EQ(image.Block2Pending.Mode, kNoChangeByte);
    EXPECT_EQ(image.Block2Pending.Mode2, kNoChangeByte);
}

TEST_F(Image, Block3ChangedComparesWithTheBackup) {
    std::string d(kBlock3Bytes, '\0');
    d[0] = 4;
    d[1] = 4;
    image.DecodeBlock3(AnswerFrame(CMD_READ_MEM3, d));
    image.DecodeBlock3(AnswerFrame(CMD_READ_MEM3, d));
    EXPECT_FALSE(image.Block3Changed);
    d[60] = 1;  // SwtchForce
    image.DecodeBlock3(AnswerFrame(CMD_READ_MEM3, d));
    EXPECT_TRUE(image.Block3Changed);
    EXPECT_EQ(image.Block3Backup.SwtchForce, 0);
}

TEST_F(Image, CountdownsRaiseWriteAndReadFlags) {
    image.Block3WriteRequest = 1;
    image.TickWriteCountdowns();
    EXPECT_TRUE(image.Requests.Block3WritePending);
    EXPECT_TRUE(image.Requests.Block3ReadRequest);
    EXPECT_FALSE(image.Requests.Block2WritePending);
    EXPECT_EQ(image.Block3WriteRequest, 0);
    image.Block5WriteRequest = 2;
    image.TickWriteCountdowns();
    EXPECT_FALSE(image.Requests.Block5WritePending);
    image.TickWriteCountdowns();
    EXPECT_TRUE(image.Requests.Block5WritePending);
}

TEST_F(Image, AddTimeSwitchFromTheFirmwareStamps) {
    struct Case {
        const char* ecu;
        const char* reference;
        bool on;
    } cases[] = {
        {"014015032010", "013301062008", true},   // higher version
        {"013301062008", "013301062008", true},   // same day
        {"013331052008", "013301062008", false},  // earlier month, same year
        {"013302062008", "013301062008", true},   // later day
        {"013301072008", "013301062008", true},   // later month
        {"013301012009", "013301062008", true},   // later year
        {"013201012007", "013301062008", false},  // older in every way
        {"013201012007", "", true},               // no reference
        {"", "013301062008", false},              // no identity read
    };
    for (const auto& c : cases) {
        comm.FirmwareEcu = std::string(c.ecu) + (c.ecu[0] ? "KD452 CUSTOMER 0815" : "");
        scale.ControlPetrolFirmware = c.reference;
        image.EvaluateAddTimeSwitch();
        EXPECT_EQ(scale.AddTimeSwitch, c.on) << c.ecu << " vs " << c.reference;
    }
}

TEST_F(Image, DefaultConfigurationRuleTakesCylindersFromTheVariantCode) {
    scale.SL_6Cil = "262";
    scale.SL_8Cil = "264";
    struct Case {
        int code, cylinders;
    } cases[] = {{262, 6}, {264, 8}, {260, 4}, {0, 4}};
    for (const auto& c : cases) {
        std::string memoData(16, '\0');
        memoData[8] = static_cast<char>(c.code & 0xFF);  // frame bytes 13-14
        memoData[9] = static_cast<char>(c.code >> 8);
        comm.MemoDataCollaudo = AnswerFrame(CMD_READ_DCOL_FL, memoData);
        std::string d(kBlock3Bytes, '\0');
        d[0] = 4;
        d[1] = 2;
        PutU16(d, 4, 10000);
        image.DecodeBlock3(AnswerFrame(CMD_READ_MEM3, d));
        image.ApplyDefaultConfigurationRule();
        EXPECT_EQ(image.Block3.Cylinders, c.cylinders);
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(image.Block3.InjMode[static_cast<std::size_t>(i)], i < c.cylinders ? 1 : 0);
        EXPECT_EQ(image.Block3.SwtchRpm, std::lround(4 * 240000000.0 / (c.cylinders * 16.0) / 10000));
    }
    // A memo too short to hold the code reads as 0.
    comm.MemoDataCollaudo = "\x42";
    image.ApplyDefaultConfigurationRule();
    EXPECT_EQ(image.Block3.Cylinders, 4);
}

// Injector-mode sequence: one step from a given state.
TEST_F(Image, InjectorModeSequenceSteps) {
    struct Case {
        const char* what;
        int mode2, statusBits, target, scope, index;
        std::array<int, 8> modes;
        std::array<int, 8> pending;  // 255: untouched
        bool ended;
    };
    const int N = kNoChangeByte;
    const Case cases[] = {
        {"gas, to 0 from 3", 3, 1, 0, 1, 2, {0, 0, 3, 0, 0, 0, 0, 0}, {N, N, 0, N, N, N, N, N}, true},
        {"gas, to 0 from 1 waits", 3, 1, 0, 1, 2, {0, 0, 1, 0, 0, 0, 0, 0}, {N, N, N, N, N, N, N, N}, false},
        {"gas, to 3 from 0", 3, 1, 3, 1, 1, {0, 0, 0, 0, 0, 0, 0, 0}, {N, 1, N, N, N, N, N, N}, false},
        {"gas, to 3 from 1", 3, 1, 3, 1, 1, {0, 1, 0, 0, 0, 0, 0, 0}, {N, 2, N, N, N, N, N, N}, true},
        {"gas, to 3 from 4", 3, 1, 3, 1, 1, {0, 4, 0, 0, 0, 0, 0, 0}, {N, 3, N, N, N, N, N, N}, true},
        {"gas, to 3 at 3", 3, 1, 3, 1, 1, {0, 3, 0, 0, 0, 0, 0, 0}, {N, N, N, N, N, N, N, N}, true},
        {"gas, count 3 with a 0", 3, 1, 3, 2, 3, {1, 0, 4, 0, 0, 0, 0, 0}, {2, 1, 3, N, N, N, N, N}, false},
        {"gas, count 3 with a 1", 3, 1, 3, 2, 3, {1, 3, 4, 0, 0, 0, 0, 0}, {2, N, 3, N, N, N, N, N}, true},
        {"gas, count 0", 3, 1, 3, 2, 0, {0, 0, 0, 0, 0, 0, 0, 0}, {N, N, N, N, N, N, N, N}, true},
        {"gas, to 4 from 0", 3, 1, 4, 1, 0, {0, 0, 0, 0, 0, 0, 0, 0}, {1, N, N, N, N, N, N, N}, false},
        {"gas, to 4 from 1", 3, 1, 4, 1, 0, {1, 0, 0, 0, 0, 0, 0, 0}, {2, N, N, N, N, N, N, N}, false},
        {"gas, to 4 from 3", 3, 1, 4, 1, 0, {3, 0, 0, 0, 0, 0, 0, 0}, {4, N, N, N, N, N, N, N}, true},
        {"petrol, to 0 from 1", 0, 1, 0, 1, 5, {0, 0, 0, 0, 0, 1, 0, 0}, {N, N, N, N, N, 0, N, N}, true},
        {"petrol, to 0 from 3", 0, 1, 0, 1, 5, {0, 0, 0, 0, 0, 3, 0, 0}, {N, N, N, N, N, N, N, N}, true},
        {"petrol, to 3 from 0", 0, 1, 3, 1, 7, {0, 0, 0, 0, 0, 0, 0, 0}, {N, N, N, N, N, N, N, 1}, true},
        {"key off, count 2", 2, 0, 3, 2, 2, {0, 3, 0, 0, 0, 0, 0, 0}, {1, N, N, N, N, N, N, N}, true},
        {"mode2 2 with key on waits", 2, 1, 3, 2, 2, {0, 0, 0, 0, 0, 0, 0, 0}, {N, N, N, N, N, N, N, N}, false},
    };
    for (const auto& c : cases) {
        image.ResetPendingRecords();
        image.Block3WriteRequest = 0;
        image.Block2.Mode2 = c.mode2;
        image.Block1.StatusBits = c.statusBits;
        image.Block3.InjMode = c.modes;
        image.Block3.Cylinders = 4;
        image.InjModeTarget = c.target;
        image.InjModeScope = c.scope;
        image.InjModeIndex = c.index;
        image.StepInjModeSequence();
        EXPECT_EQ(image.Block3Pending.InjMode, c.pending) << c.what;
        EXPECT_EQ(image.InjModeTarget == -1, c.ended) << c.what;
        const bool anySet = c.pending != std::array<int, 8>{N, N, N, N, N, N, N, N};
        if (anySet) {
            EXPECT_EQ(image.Block3WriteRequest, 1) << c.what;
        }
    }
    // A cylinder count waiting in the pending record keeps the write coming.
    image.ResetPendingRecords();
    image.Block3WriteRequest = 0;
    image.Block3Pending.Cylinders = 6;
    image.InjModeTarget = 3;
    image.InjModeScope = 1;
    image.InjModeIndex = 0;
    image.Block3.InjMode.fill(2);
    image.Block2.Mode2 = 3;
    image.StepInjModeSequence();
    EXPECT_EQ(image.Block3WriteRequest, 1);
    // No request: nothing happens; an injector index out of range ends the request.
    image.Block3WriteRequest = 0;
    image.Block3Pending.Cylinders = kNoChangeByte;
    image.InjModeTarget = -1;
    image.StepInjModeSequence();
    EXPECT_EQ(image.Block3WriteRequest, 0);
    image.InjModeTarget = 4;
    image.InjModeScope = 1;
    image.InjModeIndex = 8;
    image.StepInjModeSequence();
    EXPECT_EQ(image.InjModeTarget, -1);
}

TEST_F(Image, SamplesAreForwarded) {
    int calls = 0;
    Connection answers = image.SampleAnswer.Connect([&](bool gas, int set, const std::string& data) {
        EXPECT_TRUE(gas);
        EXPECT_EQ(set, 1);
        EXPECT_EQ(data, "xy");
        ++calls;
    });
    Connection cleared = image.SampleListCleared.Connect([&](bool gas) { calls += gas ? 10 : 100; });
    image.DecodeSamples(true, 1, "xy");
    image.SamplesCleared(false);
    EXPECT_EQ(calls, 101);
}

}  // namespace
