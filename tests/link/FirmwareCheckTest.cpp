#include <gtest/gtest.h>

#include "link/Commands.h"
#include "link/FirmwareCheck.h"
#include "link/FirmwareSimRig.h"

using namespace gw;
using namespace gwtest;

namespace {

std::string RecordText(SimEcu& ecu) {
    const SimBytes r = ecu.Memory().IdentityRecord();
    return IdentityTextFromRecord(std::string(r.begin(), r.end()));
}

SimIdentity WithVersion(const std::string& version, const std::string& date = "15032010") {
    SimIdentity id;
    id.version = version;
    id.date = date;
    return id;
}

SimIdentity Foreign() {
    SimIdentity id;
    id.project = "KD452 OTHERCUST 0999";
    return id;
}

// The identity check with its flags, texts and a recording upgrade window.
struct CheckRig : FirmwareSimRig {
    explicit CheckRig(const SimEcuOptions& o = {}) : FirmwareSimRig(o), check(comm, &cycle) {
        texts.T1 = "ECU NEWER";
        texts.T2 = "OTHER PROJECT";
        texts.T3 = "FILE MISSING";
        offered = check.UpgradeOffered.Connect([this] {
            ++windows;
            if (windowEnables) requestsEnabled = true;
        });
        busy = check.BusyPointer.Connect([this](bool busy) { busyChanges += busy ? "B" : "N"; });
    }
    FirmwareVerdict Verify() { return check.VerificaFirmware({requestsEnabled, updateRequested, exitRequested}, texts); }

    FirmwareCheck check;
    FirmwareTexts texts;
    bool requestsEnabled = false, updateRequested = false, exitRequested = false;
    int windows = 0;
    bool windowEnables = false;  // the upgrade window ends with the work allowed to go on
    std::string busyChanges;
    Connection offered, busy;
};

}  // namespace

// ---- reading the identities ----

TEST(FirmwareCheck, ReadsTheEcuIdentityAndTheImageIdentity) {
    CheckRig rig;
    ASSERT_TRUE(rig.Connect());
    ASSERT_TRUE(rig.check.LeggiIdentita());
    EXPECT_EQ(rig.comm.FirmwareEcu, RecordText(*rig.ecu));
    EXPECT_EQ(rig.check.FirmwareFle, RecordText(*rig.ecu));  // the shipped image is this ECU's firmware
    EXPECT_EQ(rig.check.Ecu().VersStr, "01.00.40");
    EXPECT_EQ(rig.check.Fle().CODICE, "0815");
    EXPECT_EQ(rig.Count(CMD_READ_FIRMWARE), 1);
    EXPECT_EQ(rig.Count(CMD_READ_MEM_ZONE), 0);
    EXPECT_EQ(rig.busyChanges, "BN");
    EXPECT_EQ(rig.check.Image.FlashBlockCount, 8);
}

TEST(FirmwareCheck, FallsBackToTheIdentityZonesWhenTheFirmwareCommandIsNotAnswered) {
    CheckRig rig(EcuWith(SimIdentity::OldFirmware()));
    ASSERT_TRUE(rig.Connect());
    rig.ecu->Faults().Add(Fault::NoAnswer, {CMD_READ_FIRMWARE, 0});
    rig.comm.AccodaRisposta("left over from an earlier read");
    ASSERT_TRUE(rig.check.LeggiIdentita());
    EXPECT_EQ(rig.comm.FirmwareEcu, RecordText(*rig.ecu));
    EXPECT_EQ(rig.check.Ecu().VersNum, 132);
    EXPECT_GE(rig.Count(CMD_READ_FIRMWARE), rig.comm.NumReSend + 1);
    EXPECT_EQ(rig.Count(CMD_READ_MEM_ZONE), 2);
    EXPECT_EQ(rig.comm.EstraiRisposta(), "");  // nothing left behind in the queue
}

TEST(FirmwareCheck, AnEcuThatNeverAnswersGivesNoIdentity) {
    CheckRig rig;
    ASSERT_TRUE(rig.Connect());
    rig.ecu->Faults().Add(Fault::NoAnswer, {-1, 0});
    EXPECT_FALSE(rig.check.LeggiIdentita());
    EXPECT_EQ(rig.comm.FirmwareEcu, "");
    EXPECT_EQ(rig.check.FirmwareFle, RecordText(*rig.ecu));  // the image is read all the same
    // Such an ECU is not taken for a foreign one: the check simply tries again.
    EXPECT_EQ(rig.Verify(), FirmwareVerdict::NotChecked);
    EXPECT_EQ(rig.check.MismatchCount, 0);
}

TEST(FirmwareCheck, OffLineReadsOnlyTheImage) {
    CheckRig rig;
    ASSERT_TRUE(rig.Connect());
    rig.comm.FirmwareEcu = "stale";
    rig.comm.ComState = kComOffLine;
    const int before = rig.ecu->Responder().TotalCount();
    EXPECT_TRUE(rig.check.LeggiIdentita());
    EXPECT_EQ(rig.comm.FirmwareEcu, "");
    EXPECT_FALSE(rig.check.FirmwareFle.empty());
    EXPECT_EQ(rig.ecu->Responder().TotalCount(), before);
    EXPECT_EQ(rig.Verify(), FirmwareVerdict::NotChecked);
}

TEST(FirmwareCheck, MissingLayoutOrImageFailsTheRead) {
    for (const char* file : {"BIN/Flash.ini", "BIN/Norvik512.frh"}) {
        CheckRig rig;
        ASSERT_TRUE(rig.Connect());
        std::filesystem::remove(rig.dir.File(file));
        EXPECT_FALSE(rig.check.LeggiIdentita()) << file;
        EXPECT_EQ(rig.comm.FirmwareEcu, RecordText(*rig.ecu)) << file;
    }
}

// ---- the verdicts ----

TEST(FirmwareCheck, TheSameFirmwareIsAcceptedWithoutTheUpgradeWindow) {
    CheckRig rig;
    ASSERT_TRUE(rig.Connect());
    rig.check.MismatchCount = 5;
    EXPECT_EQ(rig.Verify(), FirmwareVerdict::Accepted);
    EXPECT_TRUE(rig.requestsEnabled);
    EXPECT_FALSE(rig.exitRequested);
    EXPECT_EQ(rig.windows, 0);
    EXPECT_TRUE(rig.host.Messages().empty());
    EXPECT_EQ(rig.check.MismatchCount, 0);
    EXPECT_FALSE(rig.check.FileNewerThanEcu());
}

TEST(FirmwareCheck, OlderFirmwareOpensTheUpgradeWindow) {
    for (const bool windowEnables : {false, true}) {
        CheckRig rig(EcuWith(SimIdentity::OldFirmware()));
        rig.windowEnables = windowEnables;
        ASSERT_TRUE(rig.Connect());
        EXPECT_EQ(rig.Verify(), FirmwareVerdict::Upgraded);
        EXPECT_EQ(rig.windows, 1);
        EXPECT_TRUE(rig.check.FileNewerThanEcu());
        // An ECU left older when the window closes ends the program.
        EXPECT_EQ(rig.exitRequested, !windowEnables);
        EXPECT_EQ(rig.requestsEnabled, windowEnables);
        EXPECT_TRUE(rig.host.Messages().empty());
    }
}

TEST(FirmwareCheck, SameVersionWithALaterFileDateOffersTheUpgradeAndGoesOn) {
    CheckRig rig(EcuWith(WithVersion("0140", "14032010")));
    ASSERT_TRUE(rig.Connect());
    EXPECT_EQ(rig.Verify(), FirmwareVerdict::Upgraded);
    EXPECT_EQ(rig.windows, 1);
    EXPECT_TRUE(rig.requestsEnabled);  // equal versions: the check is done either way
    EXPECT_FALSE(rig.exitRequested);
}

TEST(FirmwareCheck, TheUserCanAskForTheUpgradeOfAnUpToDateEcu) {
    CheckRig rig;
    ASSERT_TRUE(rig.Connect());
    rig.updateRequested = true;
    EXPECT_EQ(rig.Verify(), FirmwareVerdict::Upgraded);
    EXPECT_EQ(rig.windows, 1);
    EXPECT_FALSE(rig.updateRequested);
    EXPECT_TRUE(rig.exitRequested);  // closed with the flag cleared
}

TEST(FirmwareCheck, NewerEcuFirmwareEndsTheProgram) {
    CheckRig rig(EcuWith(WithVersion("0150")));
    ASSERT_TRUE(rig.Connect());
    EXPECT_EQ(rig.Verify(), FirmwareVerdict::EcuNewer);
    EXPECT_EQ(rig.windows, 0);
    EXPECT_TRUE(rig.exitRequested);
    EXPECT_FALSE(rig.requestsEnabled);
    ASSERT_EQ(rig.host.Messages().size(), 1u);
    const ShownMessage& m = rig.host.Messages()[0];
    EXPECT_EQ(m.title, " Firmware ");
    EXPECT_EQ(m.icon, MsgIcon::Critical);
    EXPECT_EQ(m.text,
              "ECU NEWER\r\n\r\n Software ver. 01.01.03\r\n\r\n"
              "Firmware Ecu  ver 01.00.50 - 10/03/15 - CUSTOMER\r\n\r\n"
              "Firmware File ver 01.00.40 - 10/03/15 - CUSTOMER\r\n");
}

TEST(FirmwareCheck, AForeignEcuIsRefusedAndReportedAfterTwentyOneRefusals) {
    CheckRig rig(EcuWith(Foreign()));
    for (int i = 1; i <= kMismatchesBeforeMessage; ++i) {
        ASSERT_TRUE(rig.Connect()) << i;
        ASSERT_EQ(rig.Verify(), FirmwareVerdict::Foreign) << i;
        EXPECT_EQ(rig.check.MismatchCount, i);
        EXPECT_EQ(rig.comm.ComState, kComClosed);  // closed and reopened by the cycle
        EXPECT_TRUE(rig.host.Messages().empty()) << i;
    }
    ASSERT_TRUE(rig.Connect());
    EXPECT_EQ(rig.Verify(), FirmwareVerdict::Foreign);
    EXPECT_EQ(rig.check.MismatchCount, 0);
    ASSERT_EQ(rig.host.Messages().size(), 1u);
    EXPECT_EQ(rig.host.Messages()[0].title, " Firmware ");
    EXPECT_EQ(rig.host.Messages()[0].text,
              "OTHER PROJECT\r\n\r\n Software ver. 01.01.03\r\n\r\n"
              "Firmware Ecu 01.00.40 10/03/15 - 01.00.40 10/03/15\r\n");
    EXPECT_FALSE(rig.requestsEnabled);
    EXPECT_FALSE(rig.exitRequested);
    EXPECT_EQ(rig.windows, 0);
}

TEST(FirmwareCheck, TheVerdictEndsOrMovesOnThePortSearch) {
    {
        CheckRig rig;
        ASSERT_TRUE(rig.Connect());
        rig.comm.FlagRicercaCom = 3;  // found while searching
        EXPECT_EQ(rig.Verify(), FirmwareVerdict::Accepted);
        EXPECT_EQ(rig.comm.FlagRicercaCom, 255);
        EXPECT_TRUE(rig.dir.Exists("BIN/SetCom.ini"));
    }
    {
        CheckRig rig(EcuWith(Foreign()));
        ASSERT_TRUE(rig.Connect());
        rig.comm.FlagRicercaCom = 3;
        EXPECT_EQ(rig.Verify(), FirmwareVerdict::Foreign);
        EXPECT_EQ(rig.comm.FlagRicercaCom, 4);
        EXPECT_FALSE(rig.dir.Exists("BIN/SetCom.ini"));
    }
    {
        // Without a cycle the check does the same steps itself.
        CheckRig rig(EcuWith(Foreign()));
        ASSERT_TRUE(rig.Connect());
        FirmwareCheck alone(rig.comm);
        rig.comm.FlagRicercaCom = 9;
        EXPECT_EQ(alone.VerificaFirmware({rig.requestsEnabled, rig.updateRequested, rig.exitRequested}, rig.texts),
                  FirmwareVerdict::Foreign);
        EXPECT_EQ(rig.comm.FlagRicercaCom, 0);
        EXPECT_EQ(rig.comm.ComState, kComClosed);
    }
}

TEST(FirmwareCheck, AMissingImageFileEndsTheProgramWithoutAsking) {
    CheckRig rig;
    ASSERT_TRUE(rig.Connect());
    std::filesystem::remove(rig.dir.File("BIN/Norvik512.frh"));
    EXPECT_EQ(rig.Verify(), FirmwareVerdict::ImageMissing);
    EXPECT_TRUE(rig.exitRequested);
    EXPECT_EQ(rig.Count(CMD_READ_FIRMWARE), 0);
    ASSERT_EQ(rig.host.Messages().size(), 1u);
    EXPECT_EQ(rig.host.Messages()[0].text, rig.check.ImagePath() + " \r\nFILE MISSING");
    EXPECT_EQ(rig.host.Messages()[0].icon, MsgIcon::Critical);
}

TEST(FirmwareCheck, NothingHappensUntilTheLinkIsIdle) {
    CheckRig rig;
    ASSERT_NE(rig.comm.ComState, kComIdle);  // still opening
    EXPECT_EQ(rig.Verify(), FirmwareVerdict::NotChecked);
    EXPECT_EQ(rig.Count(CMD_READ_FIRMWARE), 0);
    EXPECT_FALSE(rig.requestsEnabled);
}
