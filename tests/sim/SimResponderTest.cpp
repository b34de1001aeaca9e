#include <gtest/gtest.h>

#include "sim/SimEcu.h"
#include "support/GoldenFrames.h"
#include "SimTestUtil.h"

using namespace gw;
using namespace gwtest;

namespace {

class Responder : public ::testing::Test {
protected:
    SimEcu ecu;
    SimResponder& r = ecu.Responder();
    SimMemory& mem = ecu.Memory();
};

TEST_F(Responder, AnswersTheGoldenFrames) {
    auto eco = r.Handle(ToBytes(kEcoRequest), 0);
    ASSERT_TRUE(eco);
    EXPECT_EQ(SimCodec::ToHex(*eco), "420107090045434F04");
    EXPECT_EQ(*eco, ToBytes(kEcoAnswer));

    auto b2 = r.Handle(ToBytes(kReadBlock2Request), 0);
    ASSERT_TRUE(b2);
    ASSERT_EQ(b2->size(), 14u + 6);
    EXPECT_EQ(SimCodec::ToHex(SimBytes(b2->begin(), b2->begin() + 5)), "4201120D00");
    EXPECT_EQ(SimCodec::Xor(*b2, b2->size()), 0);

    auto id = r.Handle(ToBytes(kReadIdentity1Request), 0);
    ASSERT_TRUE(id);
    EXPECT_EQ(SimCodec::ToHex(*id).substr(10, 12), "014015032010");
}

TEST_F(Responder, RefusesBadRequests) {
    SimBytes bad = ToBytes(kEcoRequest);
    bad.back() ^= 1;
    auto a = r.Handle(bad, 0);
    ASSERT_TRUE(a);
    EXPECT_EQ((*a)[3], 9);
    EXPECT_EQ((*a)[4], 255);

    const int undefined = Ask(r, 60).status;
    EXPECT_NE(undefined, 0);
    EXPECT_NE(undefined, 254);
    EXPECT_NE(undefined, 255);
    EXPECT_EQ(Ask(r, simcmd::Eco, {'E', 'C', 'X'}).status, 254);
    // Not a request for this ECU: no answer at all.
    EXPECT_FALSE(r.Handle(SimBytes{0x41, 0x03, 0x03, 0x0D, 0x4C}, 0));
    EXPECT_FALSE(r.Handle(SimBytes{0x41, 0x02, 0x05, 0x0D, 0x4D}, 0));
}

TEST_F(Responder, BlockWritesAreReadBack) {
    struct Case {
        std::uint8_t write, read;
        std::size_t size;
    };
    for (const Case c : {Case{simcmd::WrtMem2, simcmd::ReadMem2, 14}, Case{simcmd::WrtMem3, simcmd::ReadMem3, 74},
                         Case{simcmd::WrtMem5, simcmd::ReadMem5, 23}}) {
        SCOPED_TRACE(int(c.write));
        SimBytes before = Ask(r, c.read).data;
        ASSERT_EQ(before.size(), c.size);
        SimBytes block = before;
        for (std::size_t i = 0; i < block.size(); ++i)
            if (c.write != simcmd::WrtMem2 || (i != 1 && i != 2)) block[i] = static_cast<std::uint8_t>(i * 7 + 1);
        EXPECT_EQ(Ask(r, c.write, SimBytes(block.begin(), block.end() - 1)).status, 254);  // wrong size
        EXPECT_EQ(Ask(r, c.read).data, before);
        EXPECT_EQ(Ask(r, c.write, block).status, 0);
        EXPECT_EQ(Ask(r, c.read).data, block);
    }
}

TEST_F(Responder, Block2KeepsTheEcuOwnFieldsAndClearsCounters) {
    Ask(r, simcmd::SetSlave, {0});
    SimBytes b = Ask(r, simcmd::ReadMem2).data;
    SimBytes w = b;
    w[2] = 0;  // a stale slave flag
    for (int i = 3; i < 7; ++i) w[static_cast<std::size_t>(i)] = 0xFF;
    ASSERT_EQ(Ask(r, simcmd::WrtMem2, w).status, 0);
    SimBytes after = Ask(r, simcmd::ReadMem2).data;
    EXPECT_EQ(after[2], 1);
    EXPECT_EQ(SimBytes(after.begin() + 3, after.begin() + 7), SimBytes(4, 0));
    EXPECT_EQ(SimBytes(after.begin() + 7, after.begin() + 11), SimBytes(b.begin() + 7, b.begin() + 11));
}

TEST_F(Responder, CorrectionTableMovesInChunks) {
    for (int first : {0, 48, 96, 144}) {
        SimBytes w{static_cast<std::uint8_t>(first), 48};
        for (int i = 0; i < 48; ++i) {
            const int v = (first + i) % 3 == 0 ? -100 : first + i;
            w.push_back(static_cast<std::uint8_t>(v & 0xFF));
            w.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
        }
        ASSERT_EQ(Ask(r, simcmd::WrtTblCor, w).status, 0);
        const Reply back = Ask(r, simcmd::ReadTblCor, {static_cast<std::uint8_t>(first), 48});
        ASSERT_EQ(back.status, 0);
        EXPECT_EQ(back.data, SimBytes(w.begin() + 2, w.end()));
    }
    EXPECT_EQ(mem.corTable[3], -100);
    EXPECT_EQ(SimCodec::ToHex(Ask(r, simcmd::ReadTblCor, {3, 1}).data), "9CFF");
    EXPECT_EQ(Ask(r, simcmd::ReadTblCor, {160, 48}).status, 254);
    EXPECT_EQ(Ask(r, simcmd::WrtTblCor, {0, 48, 1, 2}).status, 254);
}

TEST_F(Responder, ErrorsSamplesAndTestDate) {
    mem.errors[8] = 1;
    mem.errors[40] = 2;
    Reply e = Ask(r, simcmd::ReadErr);
    ASSERT_EQ(e.data.size(), 64u);
    EXPECT_EQ(e.data[8], 1);
    EXPECT_EQ(e.data[40], 2);
    EXPECT_EQ(Ask(r, simcmd::CancErr).status, 0);
    EXPECT_EQ(Ask(r, simcmd::ReadErr).data, SimBytes(64, 0));

    Reply s = Ask(r, simcmd::ReadSmplBnz);
    ASSERT_EQ(s.data.size(), 121u);
    EXPECT_GT(s.data[0], 0);
    EXPECT_EQ(Ask(r, simcmd::ReadSmplBnz1).data.size(), 121u);
    EXPECT_EQ(Ask(r, simcmd::CancSmplBnz).status, 0);
    EXPECT_EQ(Ask(r, simcmd::ReadSmplBnz).data, SimBytes(121, 0));
    EXPECT_GT(Ask(r, simcmd::ReadSmplGas).data[0], 0);  // the gas list is untouched

    SimBytes date(16, 0x42);
    EXPECT_EQ(Ask(r, simcmd::WritDcol, date).status, 0);
    EXPECT_EQ(Ask(r, simcmd::ReadDcolFl).data, date);
}

TEST_F(Responder, IdentityZonesAndOperatingState) {
    Reply fw = Ask(r, simcmd::ReadFirmware);
    ASSERT_EQ(fw.data.size(), 38u);
    Reply z2 = Ask(r, simcmd::ReadMemZone, {0x00, 0xFF, 0x80, 0x06, 32});
    ASSERT_EQ(z2.status, 0);
    EXPECT_EQ(std::string(z2.data.begin(), z2.data.end()), "KD452 CUSTOMER 0815             ");
    EXPECT_EQ(SimBytes(fw.data.begin() + 6, fw.data.end()), z2.data);

    EXPECT_EQ(Ask(r, simcmd::ReadMemZone, {0, 0, 1, 0x3A, 1}).data, SimBytes{0});
    Ask(r, simcmd::SetSlave, {0});
    EXPECT_EQ(Ask(r, simcmd::ReadMemZone, {0, 0, 1, 0x3A, 1}).data, SimBytes{1});
    EXPECT_EQ(Ask(r, simcmd::ReadMem2).data[2], 1);
    Ask(r, simcmd::SetRun, {0});
    EXPECT_EQ(Ask(r, simcmd::ReadMemZone, {0, 0, 1, 0x3A, 1}).data, SimBytes{0});
    EXPECT_EQ(Ask(r, simcmd::ReadMemZone, {0x00, 0x50, 0x00, 0x00, 4}).status, 254);
    EXPECT_EQ(Ask(r, simcmd::ReadMemZone, {0x00, 0xFF, 0xFF, 0xFF, 2}).status, 254);
}

TEST_F(Responder, ProgrammingSequence) {
    const SimBytes zone{0x00, 0xF8, 0x00, 0x80};
    auto zoneWrite = [&](std::uint8_t fill) {
        SimBytes p = zone;
        for (int i = 0; i < 128; ++i) p.push_back(static_cast<std::uint8_t>(fill + i));
        return Ask(r, simcmd::WrtFlashZone, p).status;
    };
    mem.block3[0] = 6;
    EXPECT_EQ(Ask(r, simcmd::EraseFlash, {0}).status, 254);  // not in programming mode
    EXPECT_EQ(zoneWrite(0), 254);
    EXPECT_EQ(Ask(r, simcmd::SetPrg, {0}).status, 0);
    EXPECT_EQ(r.State(), SimEcuState::Programming);
    EXPECT_NE(Ask(r, simcmd::ReadMem3).status, 0);  // the boot loader knows no blocks
    EXPECT_EQ(Ask(r, simcmd::EraseFlash, {0}).status, 0);
    EXPECT_EQ(r.State(), SimEcuState::Flashing);
    EXPECT_EQ(std::count(mem.flash.begin(), mem.flash.end(), 0xFF), static_cast<long>(mem.flash.size()));
    EXPECT_EQ(zoneWrite(0x10), 0);
    Reply back = Ask(r, simcmd::ReadMemZone, {0x00, 0xF8, 0x00, 0x80, 128});
    ASSERT_EQ(back.data.size(), 128u);
    EXPECT_EQ(back.data[0], 0x10);
    EXPECT_EQ(back.data[127], 0x10 + 127);
    EXPECT_EQ(mem.flash[0x7F], 0xFF);
    EXPECT_EQ(Ask(r, simcmd::WrtFlashEnd).status, 0);
    EXPECT_EQ(r.State(), SimEcuState::Run);
    Reply b3 = Ask(r, simcmd::ReadMem3);
    EXPECT_EQ(b3.status, 0);
    EXPECT_EQ(b3.data[0], 4);  // the erase brought back the factory parameters
    EXPECT_EQ(Ask(r, simcmd::WrtFlashEnd).status, 254);
}

TEST_F(Responder, SaveFlashDecidesWhatSurvivesAReset) {
    SimBytes b3 = Ask(r, simcmd::ReadMem3).data;
    b3[1] = 6;
    Ask(r, simcmd::WrtMem3, b3);
    r.Restart();
    EXPECT_EQ(Ask(r, simcmd::ReadMem3).data[1], 4);
    Ask(r, simcmd::WrtMem3, b3);
    EXPECT_EQ(r.Handle(ToBytes(kSaveFlashFrame), 0)->at(4), 0);
    r.Restart();
    EXPECT_EQ(Ask(r, simcmd::ReadMem3).data[1], 6);
}

TEST_F(Responder, CountsCommandsPerCode) {
    r.ResetCounts();
    Ask(r, simcmd::Eco, {'E', 'C', 'O'});
    Ask(r, simcmd::Eco, {'E', 'C', 'O'});
    Ask(r, simcmd::ReadMem1);
    Ask(r, 60);
    EXPECT_EQ(r.Count(simcmd::Eco), 2);
    EXPECT_EQ(r.Count(simcmd::ReadMem1), 1);
    EXPECT_EQ(r.Count(60), 1);
    EXPECT_EQ(r.TotalCount(), 4);
}

TEST(ResponderFirmware, OldAndShortFormsOfTheExpertBlock) {
    SimEcuOptions old;
    old.identity = SimIdentity::OldFirmware();
    SimEcu a(old);
    EXPECT_EQ(SimCodec::ToHex(Ask(a.Responder(), simcmd::ReadFirmware).data).substr(0, 4), "0132");
    const int status = Ask(a.Responder(), simcmd::ReadMem5).status;
    EXPECT_TRUE(status != 0 && status != 254 && status != 255);

    SimEcuOptions shortForm;
    shortForm.identity.block5 = SimBlock5Form::Short;
    SimEcu b(shortForm);
    EXPECT_EQ(Ask(b.Responder(), simcmd::ReadMem5).data.size(), 14u);
}

}  // namespace
