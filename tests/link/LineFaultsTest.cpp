// Faults on the line against the simulated ECU, on virtual time: late answers during a
// table read, an adapter unplugged, a configuration write cut off part-way.
#include <gtest/gtest.h>

#include <string>

#include "link/Commands.h"
#include "link/FirmwareSimRig.h"
#include "link/ModComm.h"
#include "model/CorrectionTables.h"
#include "model/EcuRequests.h"
#include "model/ParameterImage.h"
#include "model/ScaleConfig.h"
#include "model/VarFile.h"

using namespace gw;
using namespace gwtest;

namespace {

constexpr double kK = 0.008;

// Each entry its own value, so an entry read from another chunk shows.
void DistinctTable(SimMemory& m) {
    for (std::size_t i = 0; i < m.corTable.size(); ++i) m.corTable[i] = static_cast<std::int16_t>(3 * i + 1);
}

double Expected(std::size_t i) {
    const double raw = static_cast<double>(3 * i + 1);
    if (i < 184) return raw * kK;
    if (i == 184 || i == 185) return raw / 1000.0;
    return raw;
}

}  // namespace

// Answers later than the answer window: a late answer to a resent chunk request must never
// be taken for the next chunk's.
TEST(LineFaults, LateAnswersNeverFillAChunkWithAnothersEntries) {
    struct Case {
        double lateUs;
        int count;  // answers made late (0 = every one)
    } cases[] = {{4'500'000, 0}, {4'500'000, 1}, {6'000'000, 2}, {7'900'000, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lateUs);
        FirmwareSimRig rig;
        DistinctTable(rig.ecu->Memory());
        ASSERT_TRUE(rig.Connect());
        rig.ecu->Faults().Add(Fault::Delay, {CMD_READ_TBL_COR, c.count, 0, -1, c.lateUs});
        TimeTable t{};
        const bool ok = ReadCorTable(rig.comm, t, kK);
        // Slow, but right: every entry is the ECU's own.
        EXPECT_TRUE(ok);
        for (std::size_t i = 0; ok && i < t.size(); ++i) {
            ASSERT_NEAR(t[i], Expected(i), 1e-9) << i;
        }
    }
}

TEST(LineFaults, ASilentEcuOnAHealthyPortKeepsItsResends) {
    FirmwareSimRig rig;
    ASSERT_TRUE(rig.Connect());
    rig.ecu->Faults().Add(Fault::NoAnswer, {CMD_READ_MEM2, 0});
    EXPECT_FALSE(rig.comm.SendMsgWait(RequestMsg(CMD_READ_MEM2)));
    EXPECT_EQ(rig.Count(CMD_READ_MEM2), rig.comm.NumReSend + 1);
    EXPECT_FALSE(rig.comm.DeviceLost());
}

// The adapter unplugged for 5 s: the first failing call ends the link at once and the
// port is reopened until the adapter is back, so the ECU answers again soon after.
TEST(LineFaults, AnUnpluggedAdapterIsFoundAgainWithinFiveSecondsOfItsReturn) {
    for (bool busy : {false, true}) {
        SCOPED_TRACE(busy);
        FirmwareSimRig rig;
        ASSERT_TRUE(rig.Connect());
        rig.host.Advance(500'000);
        const double pulled = rig.host.MicroClock();
        const double back = pulled + 5'000'000;
        rig.ecu->Faults().PullCable(pulled, 5'000'000, true);
        if (busy) {
            EXPECT_FALSE(rig.comm.SendMsgWait(RequestMsg(CMD_READ_MEM1)));  // a request in flight
        }
        bool lost = false;
        double again = 0;
        while (rig.host.MicroClock() < pulled + 120'000'000) {
            rig.host.Advance(1000);
            if (rig.comm.WDogPresente) lost = true;
            if (lost && rig.comm.ComState == kComIdle && !rig.comm.WDogPresente) {
                again = rig.host.MicroClock();
                break;
            }
        }
        ASSERT_TRUE(lost);
        ASSERT_GT(again, 0);
        EXPECT_LE(again - back, 5'000'000);
        EXPECT_GE(again, back);
    }
}

// ---- a configuration written part-way ----

namespace {

struct LoadRig : FirmwareSimRig {
    LoadRig() {
        comm.SetAnswerSink(&image);
        EXPECT_TRUE(Connect());
        EXPECT_TRUE(comm.SendMsgWait(RequestMsg(CMD_READ_FIRMWARE)));
        SimMemory& m = ecu->Memory();
        own = m;
        // The file: the ECU's configuration with a change in every block and the table.
        m.block2[11] ^= 1;
        m.block3[2] = static_cast<std::uint8_t>(m.block3[2] + 7);
        m.block5[0] ^= 1;
        m.corTable[60] = 1234;
        EXPECT_TRUE(ReadBlock(2, comm) && ReadBlock(3, comm) && ReadBlock(5, comm));
        EXPECT_TRUE(ReadCorTable(comm, image.CorTableEcu, kK));
        image.AdoptCorTable(image.CorTableEcu);
        file = m;
        path = dir.File("inst.var");
        EXPECT_TRUE(SaveVarFile(image, path, "Bench", "01/01/2024 00:00:00"));
        // The ECU back as it was.
        m.block2 = own.block2;
        m.block3 = own.block3;
        m.block5 = own.block5;
        m.corTable = own.corTable;
    }
    ScaleConfig scale;
    ParameterImage image{scale, comm};
    SimMemory own, file;
    std::string path;
};

}  // namespace

TEST(LineFaults, ACompleteWriteIsReadBackAndCompared) {
    LoadRig rig;
    VarLoadReport r;
    EXPECT_TRUE(LoadVarFile(rig.image, rig.path, &r));
    EXPECT_TRUE(r.verified);
    EXPECT_TRUE(r.message.empty());
    const SimMemory& m = rig.ecu->Memory();
    auto fileBlock3 = rig.file.block3;
    for (std::size_t i = 14; i < 22; ++i) fileBlock3[i] = fileBlock3[i] != 0;  // files keep modes as 0/1
    EXPECT_EQ(m.block3, fileBlock3);
    EXPECT_EQ(m.block5, rig.file.block5);
    EXPECT_EQ(m.corTable, rig.file.corTable);
    EXPECT_EQ(m.block2[11], rig.file.block2[11]);
}

TEST(LineFaults, AnEcuThatStallsPartWayGetsItsOwnBlocksBackWhenItAnswersAgain) {
    LoadRig rig;
    // Block 2 is written, then the ECU hangs for 60 s: block 3 is lost after its resends.
    rig.ecu->Faults().Add(Fault::Stall, {CMD_WRT_MEM3, 1, 0, -1, 60'000'000});
    VarLoadReport r;
    EXPECT_FALSE(LoadVarFile(rig.image, rig.path, &r, 60'000'000));
    EXPECT_EQ(r.message, "The configuration was not accepted; the ECU keeps what it had.");
    const SimMemory& m = rig.ecu->Memory();
    EXPECT_EQ(m.block2, rig.own.block2);
    EXPECT_EQ(m.block3, rig.own.block3);
    EXPECT_EQ(m.block5, rig.own.block5);
    EXPECT_EQ(m.corTable, rig.own.corTable);
}

TEST(LineFaults, WhatCannotBePutBackIsNamed) {
    LoadRig rig;
    // Block 2 is written, then the ECU hangs for good (until it is switched off and on).
    rig.ecu->Faults().Add(Fault::Stall, {CMD_WRT_MEM3, 1, 0, -1, 0});
    VarLoadReport r;
    EXPECT_FALSE(LoadVarFile(rig.image, rig.path, &r, 20'000'000));
    EXPECT_EQ(r.message,
              "The configuration was written only in part. The ECU now holds from the file: block 2. It may "
              "hold from the file (the write was not confirmed): block 3. Everything else is the ECU's own. "
              "Load the configuration again.");
    EXPECT_EQ(rig.ecu->Memory().block2[11], rig.file.block2[11]);
    EXPECT_EQ(rig.ecu->Memory().block5, rig.own.block5);
    // Without a report the same text is shown in a message box (the window's load).
    LoadRig window;
    window.ecu->Faults().Add(Fault::Stall, {CMD_WRT_MEM3, 1, 0, -1, 0});
    EXPECT_FALSE(LoadVarFile(window.image, window.path, nullptr, 20'000'000));
    ASSERT_EQ(window.host.Messages().size(), 1u);
    EXPECT_EQ(window.host.Messages()[0].text, r.message);
}

TEST(LineFaults, AnEcuThatRestartedDuringTheWriteIsReported) {
    LoadRig rig;
    // The block 3 write restarts the ECU: block 2, written but not saved, is gone.
    rig.ecu->Faults().Add(Fault::Reset, {CMD_WRT_MEM3, 1});
    VarLoadReport r;
    EXPECT_FALSE(LoadVarFile(rig.image, rig.path, &r));
    EXPECT_FALSE(r.verified);
    EXPECT_EQ(r.message,
              "The configuration was written, but reading it back the ECU does not hold the file's block 2 "
              "(the ECU may have restarted). Load the configuration again.");
}
