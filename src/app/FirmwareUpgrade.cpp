#include "app/FirmwareUpgrade.h"
#include "util/Numbers.h"

#include <filesystem>

#include <array>
#include <cstdlib>

#include "link/Commands.h"
#include "link/ModComm.h"
#include "model/CorrectionTables.h"
#include "model/EcuRequests.h"
#include "app/UpgradeRecovery.h"
#include "model/VarFile.h"
#include "util/FileIo.h"
#include "util/FileSys.h"
#include "util/HexText.h"

namespace gw {

namespace {

constexpr int kTries = 3;
constexpr int kBarStart = 45;       // twips of the filled part at the start of a phase
constexpr int kBarMargin = 90;      // twips of the track the filled part never covers
constexpr int kGrowSteps = 10;      // per configuration item
constexpr int kGrowTwips = 15;
constexpr double kGrowStepUs = 20'000;
constexpr double kBlinkUs = 100'000;
constexpr double kRestartWaitUs = 9'000'000;
constexpr double kSaveFlashWaitUs = 6'000'000;
constexpr double kErrorPauseUs = 11 * 100'000;
constexpr int kFirstExpertVersion = 133;
constexpr std::size_t kTestDateFrameBytes = 22;
constexpr std::size_t kTestDateBytes = 16;
constexpr const char* kCrLf = "\r\n";

}  // namespace

FirmwareUpgrade::FirmwareUpgrade(ClsComm& comm, FirmwareCheck& check, ParameterImage& image,
                                 bool& requestsEnabled, UpgradeTexts texts)
    : comm_(comm), check_(check), image_(image), requestsEnabled_(requestsEnabled), texts_(std::move(texts)) {}

void FirmwareUpgrade::Changed() {
    StateChanged.Emit();
}

void FirmwareUpgrade::Wait(double us) { comm_.host().RunEventsUntil(comm_.host().MicroClock() + us); }

void FirmwareUpgrade::RefreshReleases() {
    const FirmwareIdentity ecu = check_.Ecu(), fle = check_.Fle();
    LblRelEcu_Val = ecu.VersStr + " - " + ecu.DataStr;
    LblRelFle_Val = fle.VersStr + " - " + fle.DataStr;
}

void FirmwareUpgrade::Form_Load() {
    step = kWaitingFirstNext;
    LblMsg = texts_.start;
    LblRelEcu = texts_.relEcuCaption;
    LblRelFle = texts_.relFleCaption;
    RefreshReleases();
    nextVisible = nextEnabled = true;
    escVisible = escEnabled = true;
    barVisible = false;
    closed = false;
    timerEnabled = true;
    Changed();
}

void FirmwareUpgrade::OnTimer1() {
    backColour = backColour == kColRed ? kColOrange : kColRed;
    Changed();
}

void FirmwareUpgrade::CmdEsc_Click() {
    // The buttons are hidden while the flash is written; a click that slips through while
    // a step runs (events run inside the exchanges) is not acted on.
    if (running_) return;
    if (step == kFinished) {
        requestsEnabled_ = true;
        closed = true;
    } else if (step == kConfirmExit) {
        requestsEnabled_ = false;
        closed = true;
    } else {
        LblMsg = std::string(kCrLf) + texts_.confirmExit + kCrLf + kCrLf;
        step = kConfirmExit;
        nextVisible = false;
    }
    Changed();
}

bool FirmwareUpgrade::EngineStopped() const { return image_.Block1.Rpm == 0 && image_.Block1.Pressure == 0; }

void FirmwareUpgrade::CmdUpdate_Click() {
    if (running_ || (step != kWaitingFirstNext && step != kReady)) return;
    running_ = true;
    nextEnabled = false;
    busyPointer = true;
    Changed();
    // The engine speed needs the ECU's coil and cylinder counts: block 3 first.
    if (step == kWaitingFirstNext) comm_.SendMsgWait(RequestMsg(CMD_READ_MEM3));
    comm_.SendMsgWait(RequestMsg(CMD_READ_MEM1));
    if (step == kWaitingFirstNext) {
        if (!comm_.SendMsgWait(RequestMsg(CMD_READ_MEM1))) {
            LblMsg = texts_.error;
            Changed();
            Wait(kErrorPauseUs);
            running_ = false;
            CmdEsc_Click();
        } else if (!EngineStopped()) {
            LblMsg = texts_.stopEngine + kCrLf;
        } else {
            step = kReady;
            LblMsg = texts_.ready;
        }
    } else if (!EngineStopped()) {
        step = kWaitingFirstNext;
        LblMsg = texts_.stopEngine + kCrLf;
        nextVisible = escVisible = true;
        barVisible = false;
    } else {
        Upgrade();
    }
    running_ = false;
    busyPointer = false;
    nextEnabled = true;
    Changed();
}

// ---- the steps ----

bool FirmwareUpgrade::Try3(const std::function<bool()>& request) {
    for (int i = 0; i < kTries; ++i)
        if (request()) return true;
    return false;
}

bool FirmwareUpgrade::Send3(const std::string& frame) {
    return Try3([&] { return comm_.SendMsgWait(frame); });
}

// Block 5 defaults for an ECU without the expert block: the "B5" line of the default
// configuration, or (a file of the older one-line form) its first line.
bool FirmwareUpgrade::LoadBlock5Defaults() {
    const std::string path = AppPath(comm_.AppFolder(), kDefaultXarPath);
    if (const auto text = ReadWholeFile(path, kMaxVarFileBytes)) {
        std::size_t start = 0;
        while (start <= text->size()) {
            std::size_t end = text->find('\n', start);
            if (end == std::string::npos) end = text->size();
            const std::string line = TrimLine(text->substr(start, end - start));
            if (line.size() > 2 && line[0] == 'B' && line[1] == '5') {
                image_.DecodeBlock5Hex(line.substr(2));
                return true;
            }
            start = end + 1;
        }
    }
    Warnings warnings;
    const bool read = LoadBlock5Line(image_, path, warnings);
    ShowWarnings(comm_.host(), warnings);
    return read;
}

// What the upgrade will write back, and where it is kept until then. The test memo comes
// first: it names the ECU's recovery file. An ECU whose identity is erased (an earlier
// upgrade stopped after the erase) gets the configuration of its recovery file, or of the
// only recovery file there is when its memo was erased too; an older ECU gets the file
// named after it. Otherwise the ECU is read and the file written before anything is erased.
bool FirmwareUpgrade::SaveConfiguration() {
    restoredFromRecovery = recoveryWritten_ = false;
    if (!Send3(RequestMsg(CMD_READ_DCOL_FL))) return false;
    savedTestDate = comm_.MemoDataCollaudo;
    const FirmwareIdentity ecu = check_.Ecu();
    const bool erased = ErasedIdentity(ecu) || ecu.VersNum <= 0;
    const bool named = TestMemoNamesEcu(savedTestDate);
    recoveryPath = AppPath(comm_.AppFolder(), RecoveryRelativePath(check_.Fle().CODICE, savedTestDate));
    if (named && FileExists(recoveryPath)) return UseRecoveryFile(recoveryPath);
    if (erased) {
        const std::vector<std::string> files = RecoveryFiles(comm_.AppFolder());
        if (files.size() == 1) return UseRecoveryFile(files.front());
        if (files.size() > 1) {
            std::string list;
            for (const auto& f : files) list += std::string(kCrLf) + f;
            comm_.host().MessageBox("The ECU's firmware was erased by an interrupted upgrade and several saved "
                                    "configurations could belong to it:" + list + kCrLf +
                                    "Keep only the right one and repeat the upgrade.",
                                    texts_.caption, MsgIcon::Critical, MsgButtons::Ok);
            return false;
        }
    }
    return ReadConfiguration() && WriteRecoveryFile();
}

bool FirmwareUpgrade::ReadConfiguration() {
    const double k = image_.Scale().K_Time_Inj_ms;
    if (!Send3(RequestMsg(CMD_READ_MEM2))) return false;
    savedBlock2 = image_.Block2;
    savedBlock2Hex_ = BytesToHex(DatiMsg(comm_.LastAnswer));
    if (!Send3(RequestMsg(CMD_READ_MEM3))) return false;
    savedBlock3 = image_.Block3;
    savedBlock3Hex_ = BytesToHex(DatiMsg(comm_.LastAnswer));
    TimeTable table = image_.CorTableEcu;
    if (!Try3([&] { return ReadCorTable(comm_, table, k); })) return false;
    savedCorTable = table;
    const int version = FirmwareVersionNumber(comm_.FirmwareEcu);
    if (version < kFirstExpertVersion) {
        block5Saved_ = LoadBlock5Defaults();
        image_.ResetPendingRecords();
        savedBlock5Hex_ = image_.EncodeBlock5();
    } else {
        if (!Send3(RequestMsg(CMD_READ_MEM5))) return false;
        block5Saved_ = true;
        savedBlock5Hex_ = BytesToHex(DatiMsg(comm_.LastAnswer));
    }
    savedBlock5 = image_.Block5;
    return true;
}

bool FirmwareUpgrade::WriteRecoveryFile() {
    UpgradeRecovery r;
    r.ecuIdentity = comm_.FirmwareEcu;
    r.block2Hex = savedBlock2Hex_;
    r.block3Hex = savedBlock3Hex_;
    r.block5 = block5Saved_;
    r.block5Hex = savedBlock5Hex_;
    r.corTable = savedCorTable;
    r.testDateFrame = savedTestDate;
    std::string error;
    if (SaveRecovery(recoveryPath, r, &error)) {
        recoveryWritten_ = true;
        return true;
    }
    // Nothing is erased without a copy of what it would lose.
    comm_.host().MessageBox("Cannot save the ECU's configuration before the upgrade: " + error, texts_.caption,
                            MsgIcon::Critical, MsgButtons::Ok);
    return false;
}

bool FirmwareUpgrade::UseRecoveryFile(const std::string& path) {
    const auto r = LoadRecovery(path);
    if (!r) {
        comm_.host().MessageBox("The configuration saved before an interrupted upgrade cannot be read: " + path,
                                texts_.caption, MsgIcon::Critical, MsgButtons::Ok);
        return false;
    }
    recoveryPath = path;
    image_.ResetPendingRecords();
    image_.DecodeBlock2Hex(r->block2Hex);
    savedBlock2 = image_.Block2;
    image_.DecodeBlock3Hex(r->block3Hex);
    savedBlock3 = image_.Block3;
    block5Saved_ = r->block5;
    if (r->block5) image_.DecodeBlock5Hex(r->block5Hex);
    savedBlock5 = image_.Block5;
    savedCorTable = r->corTable;
    savedTestDate = r->testDateFrame;
    savedBlock2Hex_ = r->block2Hex;
    savedBlock3Hex_ = r->block3Hex;
    savedBlock5Hex_ = r->block5Hex;
    restoredFromRecovery = true;
    comm_.host().MessageBox("The configuration saved before an interrupted upgrade is written back from " + path,
                            texts_.caption, MsgIcon::Information, MsgButtons::Ok);
    return true;
}

// The file goes once its configuration is back on the ECU, or when this run made it and
// stopped before anything was erased.
void FirmwareUpgrade::DropRecoveryFile() {
    if (recoveryPath.empty()) return;
    std::error_code ec;
    std::filesystem::remove(recoveryPath, ec);
    recoveryWritten_ = false;
}

bool FirmwareUpgrade::ImpostaProgrammazione() {
    if (comm_.EcuState == 3) return true;
    comm_.AttesaGlobale_usec = comm_.LongCommandWaitUs();
    const bool sent = comm_.SendMsgWait(RequestMsg(CMD_SET_ECU_PRG, std::string(1, '\0')));
    comm_.AttesaGlobale_usec_Default();
    if (sent && comm_.ComState != kComClosed) return true;
    comm_.host().MessageBox(kSendMessageError, texts_.caption, MsgIcon::Critical, MsgButtons::Ok);
    return false;
}

bool FirmwareUpgrade::EraseAllFlash() {
    const FirmwareImage& img = check_.Image;
    std::array<bool, kFlashBlockRows> marked{};
    bool any = false;
    const auto addresses = IndirizziFirmware(check_.ImagePath(), &comm_.host());
    ShowWarnings(comm_.host(), addresses.warnings);
    for (const std::string& a : addresses.value) {
        const int row = img.BlockOf(static_cast<std::uint32_t>(std::strtoul(a.c_str(), nullptr, 16)));
        if (row >= 0) marked[static_cast<std::size_t>(row)] = any = true;
    }
    if (!any) return false;
    const double wait = comm_.AttesaGlobale_usec;
    comm_.AttesaGlobale_usec = comm_.LongCommandWaitUs();
    const bool sent = comm_.SendMsgWait(RequestMsg(CMD_ERASE_FLASH, std::string(1, '\0')));
    comm_.AttesaGlobale_usec = wait;
    // Only this exchange's acknowledgement counts: the state may be 3 from an earlier write.
    return sent && comm_.EcuState == 3;
}

std::string FirmwareUpgrade::WriteMemoryToTab(std::uint32_t address) {
    const std::string zone = check_.Image.Zone(address);
    if (IsBlankFlashZone(zone)) {
        ++zonesSkipped;
        return "%OK";
    }
    if (!comm_.SendMsgWait(FlashZoneMsg(address, zone))) return "%KO";
    ++zonesWritten;
    return "%OK";
}

bool FirmwareUpgrade::FineScrittura() {
    if (!comm_.SendMsgWait(RequestMsg(CMD_WRT_FLASH_END))) return false;
    Wait(kRestartWaitUs);
    return true;
}

// One zone, up to three times; a zone still failing is left unwritten only when the user
// says so (givenUp when not). False when the zone is not on the ECU.
bool FirmwareUpgrade::WriteOneZone(std::uint32_t address, bool& givenUp) {
    std::string result;
    for (int i = 0; i < kTries; ++i) {
        result = WriteMemoryToTab(address);
        if (result == "%OK") return true;
    }
    const MsgAnswer a = comm_.host().MessageBox(std::string(kSendMessageError) + kCrLf + kCrLf + "YES TO CONTINUE!",
                                                texts_.caption + kZoneQuestionTitle, MsgIcon::Question,
                                                MsgButtons::YesNo);
    givenUp = a != MsgAnswer::Yes;
    ++zonesFailed;
    return false;
}

// Every zone of the image in address order, except those holding the firmware identity:
// they go last, and only when every other zone is on the ECU, so an interrupted write
// always leaves an ECU that reads as erased (to be upgraded again), never as upgraded.
FirmwareUpgrade::ZonesResult FirmwareUpgrade::WriteZones() {
    zonesWritten = zonesFailed = zonesSkipped = 0;
    const FirmwareImage& img = check_.Image;
    const std::int64_t width = img.LargFlash;
    const std::int64_t zone = static_cast<std::int64_t>(kFlashZoneBytes);
    const std::int64_t idAddress = static_cast<std::int64_t>(std::strtoul(img.AdrFrmwarEcu.c_str(), nullptr, 16));
    const std::int64_t idFirst = idAddress - img.FirstAddress();
    const std::int64_t idLast = idFirst + static_cast<std::int64_t>(kIdentityRecordBytes) - 1;
    auto holdsIdentity = [&](std::int64_t offset) { return offset <= idLast && offset + zone - 1 >= idFirst; };

    std::vector<std::int64_t> identityZones;
    std::int64_t total = 0;
    for (std::int64_t offset = 0; offset <= width; offset += zone) ++total;
    std::int64_t done = 0;
    for (std::int64_t offset = 0; offset <= width; offset += zone) {
        if (holdsIdentity(offset)) {
            identityZones.push_back(offset);
            continue;
        }
        bool givenUp = false;
        WriteOneZone(static_cast<std::uint32_t>(img.FirstAddress() + offset), givenUp);
        ++done;
        if (givenUp) {
            GiveUp();
            return ZonesResult::GivenUp;
        }
        if (comm_.EcuState != 3) {
            // The ECU left the flash-write state: what was not reached is not written.
            zonesFailed += static_cast<int>(total - done);
            return ZonesResult::Incomplete;
        }
        barWidth = width > 0 ? static_cast<int>((trackWidth - kBarMargin) * offset / width) : 0;
        Changed();
    }
    if (zonesFailed > 0) {
        zonesFailed += static_cast<int>(identityZones.size());
        return ZonesResult::Incomplete;
    }
    for (std::size_t i = 0; i < identityZones.size(); ++i) {
        bool givenUp = false;
        if (!WriteOneZone(static_cast<std::uint32_t>(img.FirstAddress() + identityZones[i]), givenUp)) {
            zonesFailed += static_cast<int>(identityZones.size() - i - 1);
            if (givenUp) {
                GiveUp();
                return ZonesResult::GivenUp;
            }
            return ZonesResult::Incomplete;
        }
        if (comm_.EcuState != 3) {
            zonesFailed += static_cast<int>(identityZones.size() - i - 1);
            return zonesFailed > 0 ? ZonesResult::Incomplete : ZonesResult::Done;
        }
    }
    barWidth = trackWidth - kBarMargin;
    Changed();
    return ZonesResult::Done;
}

bool FirmwareUpgrade::RestoreConfiguration() {
    const double k = image_.Scale().K_Time_Inj_ms;
    // The saved records go back as they were: nothing pending is merged into them.
    image_.ResetPendingRecords();
    image_.Block2 = savedBlock2;
    if (!Try3([&] { return WriteBlock(image_, 2, comm_); })) return false;
    GrowBar();
    image_.Block3 = savedBlock3;
    if (!Try3([&] { return WriteBlock(image_, 3, comm_); })) return false;
    GrowBar();
    if (!Try3([&] { return WriteCorTable(comm_, savedCorTable, k); })) return false;
    GrowBar();
    if (FirmwareVersionNumber(comm_.FirmwareEcu) >= kFirstExpertVersion && block5Saved_) {
        image_.Block5 = savedBlock5;
        if (!Try3([&] { return WriteBlock(image_, 5, comm_); })) return false;
        GrowBar();
    }
    std::string frame = savedTestDate;
    if (frame.size() < kTestDateFrameBytes) frame.insert(0, kTestDateFrameBytes - frame.size(), '\0');
    if (!comm_.SendMsgWait(RequestMsg(CMD_WRIT_DCOL, frame.substr(5, kTestDateBytes)))) return false;
    GrowBar();
    for (std::uint8_t command : {CMD_CANC_SMPL_BNZ, CMD_CANC_SMPL_GAS, CMD_CANC_ERR}) {
        if (!Send3(RequestMsg(command))) return false;
        GrowBar();
    }
    return true;
}

void FirmwareUpgrade::Upgrade() {
    if (!SaveConfiguration()) return FailureEnding();
    // The image is loaded by the identity check; without it nothing may be flashed.
    if (check_.Image.TableFlash.empty() && !check_.LeggiIdentita()) return FailureEnding();
    if (check_.Image.TableFlash.empty()) return FailureEnding();

    busyPointer = true;
    nextVisible = escVisible = false;
    barVisible = true;
    barFilledVisible = true;
    barWidth = kBarStart;
    incomplete = false;
    Phase(kPhaseInit);
    if (!ImpostaProgrammazione()) {
        if (recoveryWritten_) DropRecoveryFile();  // nothing erased: the ECU keeps its own
        return FailureEnding();
    }
    Phase(kPhaseErase);
    const std::uint64_t erasesBefore = comm_.RequestsSent(CMD_ERASE_FLASH);
    if (!EraseAllFlash()) {
        if (recoveryWritten_ && comm_.RequestsSent(CMD_ERASE_FLASH) == erasesBefore) DropRecoveryFile();
        return FailureEnding();
    }
    Phase(kPhaseWrite);
    switch (WriteZones()) {
        case ZonesResult::GivenUp: return;  // the window closes
        case ZonesResult::Incomplete: return IncompleteEnding();
        case ZonesResult::Done: break;
    }
    Phase(kPhaseWriteEnd);
    if (!FineScrittura()) return FailureEnding();
    Blink(21);

    check_.LeggiIdentita();
    RefreshReleases();

    Phase(kPhaseConfiguration);
    barWidth = kBarStart;
    if (!RestoreConfiguration()) return FailureEnding();
    Phase(kPhaseSaveFlash);
    comm_.AttesaGlobale_usec = kSaveFlashWaitUs;
    const bool saved = comm_.SendMsgWait(FrameSaveFlash());
    comm_.AttesaGlobale_usec_Default();
    if (!saved) return FailureEnding();
    GrowBar();
    DropRecoveryFile();  // the configuration is back on the ECU and saved

    Phase(kPhaseEnd);
    Blink(10);
    requestsEnabled_ = true;
    step = kFinished;
    LblMsg = texts_.done;
    nextVisible = false;
    escVisible = escEnabled = true;
    barVisible = false;
    busyPointer = false;
    Changed();
}

void FirmwareUpgrade::FailureEnding() {
    LblMsg = texts_.error;
    nextVisible = false;
    barVisible = false;
    escVisible = escEnabled = true;
    busyPointer = false;
    Changed();
}

// Zones were left unwritten: the flash write is not ended (the ECU would run an incomplete
// firmware) and nothing is written back; the ECU reads as erased and is upgraded again
// from its recovery file. The track says so; only "Esc" remains.
void FirmwareUpgrade::IncompleteEnding() {
    incomplete = true;
    LblMsg = texts_.error;
    LblBackBar = kPhaseIncomplete;
    barVisible = true;
    barFilledVisible = true;
    nextVisible = false;
    escVisible = escEnabled = true;
    busyPointer = false;
    Changed();
}

void FirmwareUpgrade::GiveUp() {
    incomplete = true;
    LblBackBar = kPhaseIncomplete;
    requestsEnabled_ = false;
    step = kFinished;
    nextVisible = escVisible = false;
    barVisible = false;
    busyPointer = false;
    closed = true;
    Changed();
}

void FirmwareUpgrade::Phase(const char* name) {
    LblBackBar = name;
    Changed();
}

void FirmwareUpgrade::GrowBar() {
    for (int i = 0; i < kGrowSteps; ++i) {
        barWidth += kGrowTwips;
        Changed();
        Wait(kGrowStepUs);
    }
}

void FirmwareUpgrade::Blink(int times) {
    for (int i = 0; i < times; ++i) {
        barFilledVisible = !barFilledVisible;
        Changed();
        Wait(kBlinkUs);
    }
    barFilledVisible = true;
}

}  // namespace gw
