#include <gtest/gtest.h>

#include <algorithm>

#include "app/FirmwareUpgrade.h"
#include "link/Commands.h"
#include "link/FirmwareSimRig.h"
#include "link/ModComm.h"
#include "model/ScaleConfig.h"

using namespace gw;
using namespace gwtest;

namespace {

UpgradeTexts Texts() {
    UpgradeTexts t;
    t.caption = "UPGRADE";
    t.start = "U-START";
    t.ready = "U-READY";
    t.stopEngine = "U-STOP";
    t.error = "U-ERROR";
    t.done = "U-DONE";
    t.confirmExit = "U-CONFIRM";
    return t;
}

SimEcuOptions Ecu(const std::string& version, SimBlock5Form block5 = SimBlock5Form::Long,
                  SimScenario scenario = SimScenario::KeyOff) {
    SimEcuOptions o;
    o.identity.version = version;
    o.identity.date = "01022009";
    o.identity.block5 = block5;
    o.scenario = scenario;
    return o;
}

std::string RecordText(SimEcu& ecu) {
    const SimBytes r = ecu.Memory().IdentityRecord();
    return IdentityTextFromRecord(std::string(r.begin(), r.end()));
}

// An installed ECU: its own configuration, different from the factory one, saved in flash.
void Install(SimEcu& ecu) {
    SimMemory& m = ecu.Memory();
    m.block2[11] = 0;
    m.block3[1] = 6;                                  // six cylinders
    SimMemory::PutU16(m.block3, 2, 45);               // switch-over temperature
    for (int i = 0; i < 6; ++i) m.block3[14 + 7 - i] = 3;
    SimMemory::PutU16(m.block3, 22, 0xFFF0);          // injector offset -16
    SimMemory::PutU16(m.block3, 42, 1700);            // a level threshold
    if (!m.block5.empty()) {
        m.block5[0] = 1;
        SimMemory::PutU16(m.block5, 3, 300);
        SimMemory::PutU16(m.block5, 7, 0xFFFE);
    }
    m.corTable[0] = 12;
    m.corTable[60] = 31;
    m.corTable[150] = -8;
    m.corTable[184] = 5;
    m.testDate = {0x21, 0x07, 0x20, 0x09, 0x00, 0x06, 0x54, 0x32, 0x08, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07};
    m.errors[3] = 9;
    m.SaveParameters();
}

// The workbench around the upgrade window: image, identity check, window logic, flags.
struct UpgradeRig : FirmwareSimRig {
    explicit UpgradeRig(const SimEcuOptions& o) : FirmwareSimRig(o) { Wire(); }
    UpgradeRig(std::shared_ptr<SimEcu> existing, double startUs) : FirmwareSimRig(std::move(existing), startUs) {
        Wire();
    }
    void Wire() {
        comm.SetAnswerSink(&image);
        changed = up.StateChanged.Connect([this] {
            if (phases.empty() || phases.back() != up.LblBackBar) phases.push_back(up.LblBackBar);
            if (up.LblBackBar == kPhaseWrite && up.barVisible) writeWidths.push_back(up.barWidth);
        });
        offered = check.UpgradeOffered.Connect([this] { window(); });
    }
    // The user: Next to start, Next to upgrade, Esc to close when finished.
    void DefaultWindow() {
        up.Form_Load();
        up.CmdUpdate_Click();
        up.CmdUpdate_Click();
        if (up.step == FirmwareUpgrade::kFinished && !up.closed) up.CmdEsc_Click();
    }
    FirmwareVerdict Verify() { return check.VerificaFirmware({requestsEnabled, updateRequested, exitRequested}, texts); }
    int NonBlankZones() const {
        int n = 0;
        for (std::int64_t off = 0; off <= check.Image.LargFlash; off += 128)
            n += !IsBlankFlashZone(check.Image.Zone(check.Image.FirstAddress() + static_cast<std::uint32_t>(off)));
        return n;
    }

    ScaleConfig scale;
    ParameterImage image{scale, comm};
    FirmwareCheck check{comm, &cycle};
    FirmwareTexts texts;
    bool requestsEnabled = false, updateRequested = false, exitRequested = false;
    FirmwareUpgrade up{comm, check, image, requestsEnabled, Texts()};
    std::function<void()> window = [this] { DefaultWindow(); };
    std::vector<std::string> phases;
    std::vector<int> writeWidths;
    Connection changed, offered;
};

}  // namespace

TEST(Upgrade, AnOlderEcuIsFlashedAndKeepsItsConfiguration) {
    UpgradeRig rig(Ecu("0139"));
    SimMemory& m = rig.ecu->Memory();
    Install(*rig.ecu);
    const auto block2 = m.block2, block3 = m.block3, block5 = m.block5, testDate = m.testDate;
    const auto corTable = m.corTable;

    ASSERT_TRUE(rig.Connect());
    EXPECT_EQ(rig.Verify(), FirmwareVerdict::Upgraded);

    // The window ended well and the program goes on.
    EXPECT_EQ(rig.up.step, FirmwareUpgrade::kFinished);
    EXPECT_EQ(rig.up.LblMsg, "U-DONE");
    EXPECT_TRUE(rig.up.closed);
    EXPECT_TRUE(rig.requestsEnabled);
    EXPECT_FALSE(rig.exitRequested);
    EXPECT_TRUE(rig.host.Messages().empty());

    // The ECU carries the image's firmware ...
    EXPECT_EQ(RecordText(*rig.ecu), rig.check.FirmwareFle);
    EXPECT_EQ(m.Identity().VersionNumber(), 140);
    EXPECT_EQ(rig.up.LblRelEcu_Val, "01.00.40 - 10/03/15");
    EXPECT_EQ(rig.up.LblRelFle_Val, "01.00.40 - 10/03/15");
    for (std::int64_t off = 0; off <= rig.check.Image.LargFlash; off += 4096)
        ASSERT_EQ(m.flash[static_cast<std::size_t>(off)], rig.check.Image.TableFlash[static_cast<std::size_t>(off)]);
    // ... written zone by zone, erased zones left out.
    EXPECT_EQ(rig.Count(CMD_WRT_FLASH_ZONE), rig.NonBlankZones());
    EXPECT_EQ(rig.up.zonesWritten, rig.NonBlankZones());
    EXPECT_EQ(rig.up.zonesWritten + rig.up.zonesSkipped, 4096);
    EXPECT_EQ(rig.Count(CMD_ERASE_FLASH), 1);
    EXPECT_EQ(rig.Count(CMD_WRT_FLASH_END), 1);

    // ... with the configuration it had, saved to flash, samples and errors cleared.
    EXPECT_EQ(m.block2, block2);
    EXPECT_EQ(m.block3, block3);
    EXPECT_EQ(m.block5, block5);
    EXPECT_EQ(m.corTable, corTable);
    EXPECT_EQ(m.testDate, testDate);
    EXPECT_EQ(rig.Count(CMD_READ_MEM5), 1);
    EXPECT_EQ(rig.Count(CMD_WRT_MEM5), 1);
    EXPECT_EQ(rig.Count(CMD_SAVE_FLASH), 1);
    EXPECT_EQ(m.errors[3], 0);
    EXPECT_TRUE(std::all_of(m.petrolSamples.begin(), m.petrolSamples.end(), [](auto s) { return s.vacuumMbar == 0; }));
    m.RestoreParameters();  // what an ECU restart brings back
    EXPECT_EQ(m.block3, block3);

    // The phases in order, the bar growing through the write to the end of its track.
    EXPECT_EQ(rig.phases, (std::vector<std::string>{"", kPhaseInit, kPhaseErase, kPhaseWrite, kPhaseWriteEnd,
                                                    kPhaseConfiguration, kPhaseSaveFlash, kPhaseEnd}));
    ASSERT_FALSE(rig.writeWidths.empty());
    EXPECT_TRUE(std::is_sorted(rig.writeWidths.begin() + 1, rig.writeWidths.end()));  // after the phase start
    EXPECT_GE(rig.writeWidths.back(), rig.up.trackWidth - 90 - 2);
    EXPECT_FALSE(rig.up.barVisible);
}

TEST(Upgrade, AnEcuWithoutTheExpertBlockGetsItsDefaultsAfterTheUpgrade) {
    UpgradeRig rig(EcuWith(SimIdentity::OldFirmware()));
    rig.ecu->Engine().SetScenario(SimScenario::KeyOff);
    ASSERT_TRUE(rig.Connect());
    EXPECT_EQ(rig.Verify(), FirmwareVerdict::Upgraded);
    ASSERT_EQ(rig.up.step, FirmwareUpgrade::kFinished);
    EXPECT_TRUE(rig.requestsEnabled);
    EXPECT_EQ(rig.Count(CMD_READ_MEM5), 0);  // version 132: nothing to read
    EXPECT_EQ(rig.Count(CMD_WRT_MEM5), 1);   // the new firmware has the block: the defaults go in
    // The "B5" line of the default configuration, as the ECU now holds it.
    const std::string xar = FirmwareSimRig::ReadAll(rig.dir.File("LNG/Default.Xar"));
    const auto at = xar.find("\nB5");
    ASSERT_NE(at, std::string::npos);
    const std::string hex = xar.substr(at + 3, 2 * SimMemory::Block5LongSize);
    std::string expected;
    char buf[3];
    for (auto b : rig.ecu->Memory().block5) {
        std::snprintf(buf, sizeof buf, "%02X", b);
        expected += buf;
    }
    EXPECT_EQ(expected, hex);
}

TEST(Upgrade, WithoutTheDefaultConfigurationTheNewBlockKeepsItsFactoryValues) {
    UpgradeRig rig(EcuWith(SimIdentity::OldFirmware()));
    rig.ecu->Engine().SetScenario(SimScenario::KeyOff);
    std::filesystem::remove(rig.dir.File("LNG/Default.Xar"));
    ASSERT_TRUE(rig.Connect());
    EXPECT_EQ(rig.Verify(), FirmwareVerdict::Upgraded);
    EXPECT_EQ(rig.up.step, FirmwareUpgrade::kFinished);
    ASSERT_EQ(rig.host.Messages().size(), 1u);
    EXPECT_EQ(rig.host.Messages()[0].title, "SYSTEM ERROR");
    EXPECT_EQ(rig.Count(CMD_WRT_MEM5), 0);
    EXPECT_EQ(SimMemory::U16(rig.ecu->Memory().block5, 14), 2750);
}

TEST(Upgrade, AnImageOfErasedZonesSendsNoZoneButEndsTheWrite) {
    UpgradeRig rig(Ecu("0140"));
    // Records that hold only erased bytes, and the identity address.
    std::string text;
    for (int i = 0; i < 8; ++i) {
        char line[80];
        const unsigned addr = 0xF80000 + 0x10000u * static_cast<unsigned>(i);
        unsigned sum = 0x14 + (addr >> 16) + ((addr >> 8) & 0xFF) + (addr & 0xFF) + 16 * 0xFF;
        std::snprintf(line, sizeof line, "S214%06XFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF%02X\r\n", addr, ~sum & 0xFF);
        text += line;
    }
    rig.dir.Write("BIN/Norvik512.frh", text + "[AdrFrmwarEcu]\r\nFF8000\r\n");
    ASSERT_TRUE(rig.Connect());
    ASSERT_TRUE(rig.check.LeggiIdentita());
    rig.DefaultWindow();
    EXPECT_EQ(rig.Count(CMD_ERASE_FLASH), 1);
    EXPECT_EQ(rig.Count(CMD_WRT_FLASH_ZONE), 0);
    EXPECT_EQ(rig.up.zonesWritten, 0);
    EXPECT_EQ(rig.Count(CMD_WRT_FLASH_END), 1);
}

TEST(Upgrade, AnImageOutsideTheLayoutIsNotErasedNorWritten) {
    UpgradeRig rig(Ecu("0139"));
    rig.dir.Write("BIN/Norvik512.frh", "S2090000100102030405D7\r\n[AdrFrmwarEcu]\r\nFF8000\r\n");
    ASSERT_TRUE(rig.Connect());
    ASSERT_TRUE(rig.check.LeggiIdentita());
    rig.up.Form_Load();
    rig.up.CmdUpdate_Click();
    rig.up.CmdUpdate_Click();
    EXPECT_EQ(rig.up.LblMsg, "U-ERROR");
    EXPECT_EQ(rig.Count(CMD_ERASE_FLASH), 0);
    EXPECT_EQ(rig.Count(CMD_WRT_FLASH_ZONE), 0);
    EXPECT_EQ(rig.up.LblBackBar, kPhaseErase);
}

TEST(Upgrade, ACablePulledDuringTheWriteGivesUpAndALaterRunFlashesAgain) {
    auto ecu = std::make_shared<SimEcu>(Ecu("0132", SimBlock5Form::Absent));
    ecu->Faults().AddByName("cable pulled after zone 40");
    double endUs = 0;
    {
        UpgradeRig rig(ecu, 0);
        ASSERT_TRUE(rig.Connect());
        rig.host.QueueAnswer(MsgAnswer::Yes);  // the first lost zone: go on
        rig.host.QueueAnswer(MsgAnswer::No);   // the next one: give up
        EXPECT_EQ(rig.Verify(), FirmwareVerdict::Upgraded);
        EXPECT_EQ(rig.Count(CMD_WRT_FLASH_ZONE), 41);  // the 41st never answered
        ASSERT_EQ(rig.host.Messages().size(), 2u);
        const ShownMessage& q = rig.host.Messages()[0];
        EXPECT_EQ(q.title, "UPGRADE - ScaricaFirmwareDefaultParametri ");
        EXPECT_EQ(q.text, "COMUNICATION ERROR, SEND MESSAGE\r\n\r\nYES TO CONTINUE!");
        EXPECT_EQ(q.buttons, MsgButtons::YesNo);
        EXPECT_TRUE(rig.up.closed);
        EXPECT_EQ(rig.up.step, FirmwareUpgrade::kFinished);
        EXPECT_FALSE(rig.up.barVisible);
        EXPECT_FALSE(rig.requestsEnabled);
        EXPECT_TRUE(rig.exitRequested);  // the program ends
        EXPECT_EQ(rig.Count(CMD_WRT_FLASH_END), 0);
        endUs = rig.host.MicroClock();
    }
    // The cable is plugged back and the ECU switched off and on; the next start finds an
    // ECU whose identity was erased, takes it for its own and flashes it again.
    ecu->Faults().Clear();
    ecu->Faults().PlugCable();
    ecu->Reset(endUs);
    ecu->Responder().ResetCounts();
    UpgradeRig again(ecu, endUs + 1'000'000);
    ASSERT_TRUE(again.Connect());
    EXPECT_EQ(again.Verify(), FirmwareVerdict::Upgraded);
    EXPECT_EQ(again.up.step, FirmwareUpgrade::kFinished);
    EXPECT_TRUE(again.requestsEnabled);
    EXPECT_FALSE(again.exitRequested);
    EXPECT_EQ(RecordText(*ecu), again.check.FirmwareFle);
    EXPECT_EQ(again.Count(CMD_WRT_FLASH_ZONE), again.NonBlankZones());
    EXPECT_EQ(again.check.Ecu().VersNum, 140);
}

TEST(Upgrade, AFailedWriteEndLeavesOnlyEscAndClosesWithTheProgramEnding) {
    UpgradeRig rig(Ecu("0139"));
    rig.ecu->Faults().Add(Fault::Status, {CMD_WRT_FLASH_END, 0, 0, 254});
    rig.window = [&rig] {
        rig.up.Form_Load();
        rig.up.CmdUpdate_Click();
        rig.up.CmdUpdate_Click();
        EXPECT_EQ(rig.up.LblMsg, "U-ERROR");
        EXPECT_FALSE(rig.up.nextVisible);
        EXPECT_FALSE(rig.up.barVisible);
        EXPECT_TRUE(rig.up.escVisible);
        EXPECT_TRUE(rig.up.escEnabled);
        EXPECT_FALSE(rig.up.closed);
        rig.up.CmdEsc_Click();
        EXPECT_EQ(rig.up.step, FirmwareUpgrade::kConfirmExit);
        EXPECT_EQ(rig.up.LblMsg, "\r\nU-CONFIRM\r\n\r\n");
        EXPECT_FALSE(rig.up.closed);
        rig.up.CmdEsc_Click();
        EXPECT_TRUE(rig.up.closed);
    };
    ASSERT_TRUE(rig.Connect());
    EXPECT_EQ(rig.Verify(), FirmwareVerdict::Upgraded);
    EXPECT_FALSE(rig.requestsEnabled);
    EXPECT_TRUE(rig.exitRequested);
    EXPECT_EQ(rig.Count(CMD_WRT_MEM2), 0);  // no configuration written to a half-done ECU
}

TEST(Upgrade, ProgrammingModeRefusedShowsTheSendError) {
    UpgradeRig rig(Ecu("0139"));
    rig.ecu->Faults().Add(Fault::Status, {CMD_SET_ECU_PRG, 0, 0, 254});
    rig.comm.MolAttesaGlobale = 2;  // refusals come at once; keep the raised wait short anyway
    ASSERT_TRUE(rig.Connect());
    ASSERT_TRUE(rig.check.LeggiIdentita());
    rig.up.Form_Load();
    rig.up.CmdUpdate_Click();
    rig.up.CmdUpdate_Click();
    ASSERT_EQ(rig.host.Messages().size(), 1u);
    EXPECT_EQ(rig.host.Messages()[0].text, "COMUNICATION ERROR, SEND MESSAGE");
    EXPECT_EQ(rig.host.Messages()[0].title, "UPGRADE");
    EXPECT_EQ(rig.up.LblMsg, "U-ERROR");
    EXPECT_EQ(rig.up.LblBackBar, kPhaseInit);
    EXPECT_EQ(rig.Count(CMD_ERASE_FLASH), 0);
    EXPECT_EQ(rig.comm.AttesaGlobale_usec, rig.comm.AttesaGlobaleDefault_usec);
}

TEST(Upgrade, WithTheEngineRunningNextNeverLeavesTheFirstStep) {
    UpgradeRig rig(Ecu("0139", SimBlock5Form::Long, SimScenario::Idle));
    ASSERT_TRUE(rig.Connect());
    rig.host.Advance(5'000'000);  // the engine has started
    ASSERT_TRUE(rig.check.LeggiIdentita());
    rig.up.Form_Load();
    EXPECT_EQ(rig.up.LblMsg, "U-START");
    for (int i = 0; i < 3; ++i) {
        rig.up.CmdUpdate_Click();
        EXPECT_EQ(rig.up.step, FirmwareUpgrade::kWaitingFirstNext);
        EXPECT_EQ(rig.up.LblMsg, "U-STOP\r\n");
        EXPECT_TRUE(rig.up.nextEnabled);
    }
    EXPECT_EQ(rig.Count(CMD_SET_ECU_PRG), 0);
    // Engine off: the next press gets ready, the one after would flash.
    rig.ecu->Engine().SetKey(false);
    rig.host.Advance(10'000'000);
    rig.up.CmdUpdate_Click();
    EXPECT_EQ(rig.up.step, FirmwareUpgrade::kReady);
    EXPECT_EQ(rig.up.LblMsg, "U-READY");
    // Started again before the second press: back to the first step.
    rig.ecu->Engine().SetKey(true);
    rig.host.Advance(5'000'000);
    rig.up.CmdUpdate_Click();
    EXPECT_EQ(rig.up.step, FirmwareUpgrade::kWaitingFirstNext);
    EXPECT_EQ(rig.Count(CMD_SET_ECU_PRG), 0);
}

TEST(Upgrade, EscAsksOnceAndTheWindowBlinks) {
    UpgradeRig rig(Ecu("0139"));
    rig.up.Form_Load();
    EXPECT_TRUE(rig.up.timerEnabled);
    EXPECT_FALSE(rig.up.barVisible);
    EXPECT_EQ(rig.up.LblRelEcu, "Ecu release: ");
    EXPECT_EQ(rig.up.LblRelFle, "File release: ");
    const std::uint32_t first = rig.up.backColour;
    rig.up.OnTimer1();
    EXPECT_NE(rig.up.backColour, first);
    rig.up.OnTimer1();
    EXPECT_EQ(rig.up.backColour, first);
    EXPECT_TRUE(first == kColRed || first == kColOrange);

    rig.requestsEnabled = true;
    rig.up.CmdEsc_Click();
    EXPECT_EQ(rig.up.step, FirmwareUpgrade::kConfirmExit);
    EXPECT_FALSE(rig.up.nextVisible);
    EXPECT_FALSE(rig.up.closed);
    rig.up.CmdEsc_Click();
    EXPECT_TRUE(rig.up.closed);
    EXPECT_FALSE(rig.requestsEnabled);
}

// ---- interrupted upgrades ----

namespace {

bool IdentityErased(SimEcu& ecu) {
    const SimBytes r = ecu.Memory().IdentityRecord();
    return std::all_of(r.begin(), r.begin() + 6, [](std::uint8_t b) { return b == 0xFF; });
}

std::vector<std::string> RecoveryFilesIn(const TempDir& dir) {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(dir.File("BIN")))
        if (e.path().filename().string().rfind("Recovery_", 0) == 0) out.push_back(e.path().string());
    return out;
}

}  // namespace

TEST(UpgradeInterrupted, ASkippedZoneFailsTheRunAndLeavesTheIdentityErased) {
    // The cable out for 50 s during the zone writes, every question answered Yes.
    UpgradeRig rig(Ecu("0139"));
    rig.ecu->Faults().Add(Fault::CablePulled, {CMD_WRT_FLASH_ZONE, 1, 40, -1, 50'000'000});
    for (int i = 0; i < 200; ++i) rig.host.QueueAnswer(MsgAnswer::Yes);
    ASSERT_TRUE(rig.Connect());
    EXPECT_EQ(rig.Verify(), FirmwareVerdict::Upgraded);

    EXPECT_TRUE(rig.up.incomplete);
    EXPECT_GE(rig.up.zonesFailed, 2);  // the skipped zones and the identity zone
    EXPECT_EQ(rig.up.zonesWritten + rig.up.zonesFailed, rig.NonBlankZones());
    EXPECT_EQ(rig.up.zonesWritten, rig.Count(CMD_WRT_FLASH_ZONE) - 1);  // the lost one is not counted
    EXPECT_NE(rig.up.step, FirmwareUpgrade::kFinished);
    EXPECT_EQ(rig.up.LblBackBar, kPhaseIncomplete);
    EXPECT_EQ(rig.up.LblMsg, "U-ERROR");
    EXPECT_FALSE(rig.up.nextVisible);
    EXPECT_TRUE(rig.up.escVisible);
    EXPECT_FALSE(rig.requestsEnabled);
    // Zones after the gap went in, but the identity did not, nor the write end: the ECU
    // reads as erased and is offered the upgrade again.
    EXPECT_GT(rig.up.zonesWritten, 40);
    EXPECT_TRUE(IdentityErased(*rig.ecu));
    EXPECT_EQ(rig.Count(CMD_WRT_FLASH_END), 0);
    EXPECT_EQ(rig.Count(CMD_WRT_MEM2), 0);
    EXPECT_EQ(RecoveryFilesIn(rig.dir).size(), 1u);
}

TEST(UpgradeInterrupted, TheIdentityZoneIsWrittenLast) {
    UpgradeRig rig(Ecu("0139"));
    ASSERT_TRUE(rig.Connect());
    ASSERT_TRUE(rig.check.LeggiIdentita());
    // The ECU restarts (leaving the flash write) right after the next-to-last zone: only
    // the identity zone is missing, so the ECU must read as erased.
    rig.ecu->Faults().Add(Fault::Reset, {CMD_WRT_FLASH_ZONE, 1, rig.NonBlankZones() - 1});
    rig.host.QueueAnswer(MsgAnswer::No);
    rig.up.Form_Load();
    rig.up.CmdUpdate_Click();
    rig.up.CmdUpdate_Click();
    EXPECT_TRUE(rig.up.incomplete);
    EXPECT_EQ(rig.up.zonesWritten, rig.NonBlankZones() - 1);
    EXPECT_TRUE(IdentityErased(*rig.ecu));
    EXPECT_EQ(rig.Count(CMD_WRT_FLASH_END), 0);
    EXPECT_FALSE(rig.requestsEnabled);
}

TEST(UpgradeInterrupted, ARepeatedUpgradeRestoresTheConfigurationSavedBeforeTheErase) {
    auto ecu = std::make_shared<SimEcu>(Ecu("0139"));
    Install(*ecu);
    const SimMemory before = ecu->Memory();
    ecu->Faults().AddByName("cable pulled after zone 40");
    double endUs = 0;
    std::string kept, keptName;
    {
        UpgradeRig rig(ecu, 0);
        ASSERT_TRUE(rig.Connect());
        rig.host.QueueAnswer(MsgAnswer::No);  // give up at the first lost zone
        EXPECT_EQ(rig.Verify(), FirmwareVerdict::Upgraded);
        EXPECT_TRUE(rig.up.incomplete);
        EXPECT_FALSE(rig.requestsEnabled);
        ASSERT_EQ(RecoveryFilesIn(rig.dir).size(), 1u);
        // Named after the ECU's test memo.
        EXPECT_NE(RecoveryFilesIn(rig.dir)[0].find("_2107200900065432"), std::string::npos);
        endUs = rig.host.MicroClock();
        // The next run of the program uses the same application folder.
        keptName = std::filesystem::path(RecoveryFilesIn(rig.dir)[0]).filename().string();
        kept = FirmwareSimRig::ReadAll(RecoveryFilesIn(rig.dir)[0]);
    }
    ecu->Faults().Clear();
    ecu->Faults().PlugCable();
    ecu->Reset(endUs);  // switched off and on: erased firmware, factory parameters
    ASSERT_TRUE(IdentityErased(*ecu));
    ecu->Responder().ResetCounts();
    UpgradeRig again(ecu, endUs + 1'000'000);
    again.dir.Write("BIN/" + keptName, kept);
    ASSERT_TRUE(again.Connect());
    EXPECT_EQ(again.Verify(), FirmwareVerdict::Upgraded);
    ASSERT_EQ(again.up.step, FirmwareUpgrade::kFinished) << again.up.LblBackBar << " " << again.up.LblMsg;
    EXPECT_TRUE(again.requestsEnabled);
    EXPECT_TRUE(again.up.restoredFromRecovery);
    // Said so, and the erased ECU was not read for the configuration.
    ASSERT_FALSE(again.host.Messages().empty());
    EXPECT_NE(again.host.Messages()[0].text.find("interrupted upgrade"), std::string::npos);
    EXPECT_EQ(again.Count(CMD_READ_MEM5), 0);
    EXPECT_EQ(again.Count(CMD_READ_TBL_COR), 0);
    // Everything the ECU had before the first run, block 5 included.
    const SimMemory& m = ecu->Memory();
    EXPECT_EQ(m.block2[11], before.block2[11]);
    EXPECT_EQ(m.block3, before.block3);
    EXPECT_EQ(m.block5, before.block5);
    EXPECT_EQ(m.corTable, before.corTable);
    EXPECT_EQ(m.testDate, before.testDate);
    EXPECT_TRUE(RecoveryFilesIn(again.dir).empty());  // removed after the completed restore
}

TEST(UpgradeInterrupted, ALostAnswerToProgrammingModeOrEraseIsResentWithinThirtySeconds) {
    // The same upgrade with and without one lost answer to each of the two requests.
    auto run = [](bool lose) {
        UpgradeRig rig(Ecu("0139"));
        if (lose) {
            rig.ecu->Faults().Add(Fault::NoAnswer, {CMD_SET_ECU_PRG, 1});
            rig.ecu->Faults().Add(Fault::NoAnswer, {CMD_ERASE_FLASH, 1});
        }
        EXPECT_EQ(rig.comm.MolAttesaGlobale, 500);
        EXPECT_TRUE(rig.Connect());
        const double start = rig.host.MicroClock();
        rig.Verify();
        EXPECT_EQ(rig.up.step, FirmwareUpgrade::kFinished);
        EXPECT_TRUE(rig.requestsEnabled);
        EXPECT_EQ(rig.Count(CMD_SET_ECU_PRG), lose ? 2 : 1);
        EXPECT_EQ(rig.Count(CMD_ERASE_FLASH), lose ? 2 : 1);
        EXPECT_EQ(rig.comm.AttesaGlobale_usec, rig.comm.AttesaGlobaleDefault_usec);
        return rig.host.MicroClock() - start;
    };
    const double clean = run(false), lossy = run(true);
    EXPECT_LE(lossy - clean, 2 * 30'000'000.0 + 1'000'000);  // and the resent frames
    EXPECT_GE(lossy - clean, 2 * 4'000'000.0);  // still a raised wait, not the plain one
}
