#include <gtest/gtest.h>

#include "sim/SimEcu.h"
#include "support/GoldenFrames.h"
#include "SimTestUtil.h"

using namespace gw;
using namespace gwtest;

namespace {

// Programming mode, erase, the identity zone with this record, end of the flash write.
void FlashIdentity(SimResponder& r, const SimBytes& record) {
    ASSERT_EQ(Ask(r, simcmd::SetPrg, {0}).status, 0);
    ASSERT_EQ(Ask(r, simcmd::EraseFlash, {0}).status, 0);
    if (!record.empty()) {
        SimBytes p{0x00, 0xFF, 0x80, 0x00};
        for (std::size_t i = 0; i < 128; ++i) p.push_back(i < record.size() ? record[i] : 0xFF);
        ASSERT_EQ(Ask(r, simcmd::WrtFlashZone, p).status, 0);
    }
    ASSERT_EQ(Ask(r, simcmd::WrtFlashEnd).status, 0);
}

SimBytes Record(const std::string& version, const std::string& project = "KD452 CUSTOMER 0815") {
    SimIdentity id;
    id.version = version;
    id.project = project;
    SimMemory m(id);
    return m.IdentityRecord();
}

}  // namespace

TEST(SimFlashedIdentity, NewFirmwareBringsTheExpertBlock) {
    SimEcuOptions old;
    old.identity = SimIdentity::OldFirmware();
    SimEcu ecu(old);
    SimResponder& r = ecu.Responder();
    ASSERT_NE(Ask(r, simcmd::ReadMem5).status, 0);
    FlashIdentity(r, Record("0140"));
    EXPECT_EQ(ecu.Memory().Identity().VersionNumber(), 140);
    EXPECT_EQ(Ask(r, simcmd::ReadFirmware).data, Record("0140"));
    const Reply b5 = Ask(r, simcmd::ReadMem5);
    ASSERT_EQ(b5.status, 0);
    EXPECT_EQ(b5.data.size(), SimMemory::Block5LongSize);
    EXPECT_EQ(SimMemory::U16(b5.data, 14), 2750);  // factory values
    // The block survives a reset like the other parameters.
    r.Restart();
    EXPECT_EQ(Ask(r, simcmd::ReadMem5).status, 0);
}

TEST(SimFlashedIdentity, OldOrErasedFirmwareHasNoExpertBlock) {
    {
        SimEcu ecu;
        FlashIdentity(ecu.Responder(), Record("0132"));
        EXPECT_EQ(ecu.Memory().Identity().VersionNumber(), 132);
        EXPECT_NE(Ask(ecu.Responder(), simcmd::ReadMem5).status, 0);
    }
    {
        SimEcu ecu;
        FlashIdentity(ecu.Responder(), {});  // nothing written: erased identity
        EXPECT_EQ(ecu.Memory().Identity().VersionNumber(), 0);
        EXPECT_NE(Ask(ecu.Responder(), simcmd::ReadMem5).status, 0);
    }
    {
        // The short form of the expert block stays short across an upgrade.
        SimEcuOptions o;
        o.identity.block5 = SimBlock5Form::Short;
        SimEcu ecu(o);
        FlashIdentity(ecu.Responder(), Record("0141"));
        EXPECT_EQ(Ask(ecu.Responder(), simcmd::ReadMem5).data.size(), SimMemory::Block5ShortSize);
    }
}
