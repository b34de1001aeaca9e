#include "link/FirmwareCheck.h"

#include "link/ComCycle.h"
#include "link/Commands.h"
#include "link/ModComm.h"
#include "util/FileIo.h"
#include "util/FileSys.h"

namespace gw {

namespace {
constexpr const char* kSetComIni = "\\BIN\\SetCom.ini";
constexpr const char* kCrLf = "\r\n";
}  // namespace

FirmwareCheck::FirmwareCheck(ClsComm& comm, ComCycle* cycle) : comm_(comm), cycle_(cycle) {}

std::string FirmwareCheck::ImagePath() const { return AppPath(comm_.AppFolder(), kFirmwareImagePath); }
std::string FirmwareCheck::FlashIniPath() const { return AppPath(comm_.AppFolder(), kFlashIniPath); }

bool FirmwareCheck::ReadEcuIdentity() {
    if (comm_.ComState == kComOffLine) {
        comm_.FirmwareEcu.clear();
        return true;
    }
    const std::string request = RequestMsg(CMD_READ_FIRMWARE);
    if (comm_.SendMsgWait(request) || comm_.SendMsgWait(request)) return true;

    // From the ECU's memory instead. Answers left in the queue by earlier reads would be
    // taken for the identity: the queue is emptied first.
    while (!comm_.EstraiRisposta().empty()) {
    }
    const bool head = comm_.SendMsgWait(ReadMemZoneMsg(kZoneIdentity1, kZoneIdentity1Count));
    const std::string part1 = head ? comm_.EstraiRisposta() : std::string();
    const bool tail = comm_.SendMsgWait(ReadMemZoneMsg(kZoneIdentity2, kZoneIdentity2Count));
    const std::string part2 = tail ? comm_.EstraiRisposta() : std::string();
    comm_.FirmwareEcu = IdentityTextFromRecord(part1 + part2);
    return head || tail;
}

bool FirmwareCheck::LeggiIdentita() {
    BusyPointer.Emit(true);
    const bool ecuRead = ReadEcuIdentity();
    // Read into a new image: the one held is replaced only by a whole one.
    FirmwareImage fresh;
    bool ok = fresh.LeggiFlashIni(FlashIniPath());
    ImageDamaged = false;
    if (ok) {
        fresh.RedimTableFlash(fresh.LargFlash, false);
        ok = fresh.CaricaFirmware(ImagePath(), &comm_.host());
        ShowWarnings(comm_.host(), fresh.Report.warnings);
        // A file that is there but cannot be read (or is far too large) is no image either.
        if ((ok && !ImageIsWhole(fresh.Report)) || (!ok && FileExists(ImagePath()))) {
            ok = false;
            ImageDamaged = true;
            fresh.LastError = "firmware image damaged or incomplete: " + ImagePath();
        }
    }
    if (ok) {
        Image = std::move(fresh);
        FirmwareFle = Image.IdentityText();
    } else {
        Image.LastError = fresh.LastError;
        Image.Report = fresh.Report;
    }
    BusyPointer.Emit(false);
    return ok && ecuRead;
}

bool FirmwareCheck::FileNewerThanEcu() const {
    const FirmwareIdentity ecu = Ecu(), fle = Fle();
    return SameProject(ecu, fle) && FileFirmwareNewer(ecu, fle);
}

std::string FirmwareCheck::EcuNewerMessage(const FirmwareTexts& t) const {
    const FirmwareIdentity ecu = Ecu(), fle = Fle();
    return t.T1 + kCrLf + kCrLf + t.softwareVersion + kCrLf + kCrLf + "Firmware Ecu  ver " + ecu.VersStr +
           " - " + ecu.DataStr + " - " + ecu.CLIENTE + kCrLf + kCrLf + "Firmware File ver " + fle.VersStr +
           " - " + fle.DataStr + " - " + fle.CLIENTE + kCrLf;
}

std::string FirmwareCheck::ForeignMessage(const FirmwareTexts& t) const {
    const FirmwareIdentity ecu = Ecu(), fle = Fle();
    return t.T2 + kCrLf + kCrLf + t.softwareVersion + kCrLf + kCrLf + "Firmware Ecu " + ecu.VersStr + " " +
           ecu.DataStr + " - " + fle.VersStr + " " + fle.DataStr + kCrLf;
}

void FirmwareCheck::OpenUpgradeWindow() {
    UpgradeOffered.Emit();
}

void FirmwareCheck::EndSearchAccepted() {
    if (cycle_) {
        cycle_->EcuAccepted();
    } else if (comm_.FlagRicercaCom != 255) {
        comm_.FlagRicercaCom = 255;
        comm_.WriteSetCom(kSetComIni);
    }
}

void FirmwareCheck::Refuse() {
    if (cycle_) {
        cycle_->EcuRefused();
        return;
    }
    comm_.ComState = kComClosed;
    if (comm_.FlagRicercaCom != 255) comm_.FlagRicercaCom = comm_.FlagRicercaCom < 9 ? comm_.FlagRicercaCom + 1 : 0;
}

FirmwareVerdict FirmwareCheck::VerificaFirmware(FirmwareFlags flags, const FirmwareTexts& texts) {
    Host& host = comm_.host();
    if (!FileExists(ImagePath())) {
        host.MessageBox(ImagePath() + " " + kCrLf + texts.T3, kFirmwareTitle, MsgIcon::Critical, MsgButtons::Ok);
        comm_.LoadWDogSend();
        flags.ExitRequested = true;
        return FirmwareVerdict::ImageMissing;
    }
    if (comm_.ComState != kComIdle) return FirmwareVerdict::NotChecked;
    if (!LeggiIdentita()) {
        if (!ImageDamaged) return FirmwareVerdict::NotChecked;
        // No image to judge the ECU by: said as for a missing one, and the program ends.
        host.MessageBox(ImagePath() + " " + kCrLf + texts.damaged, kFirmwareTitle, MsgIcon::Critical, MsgButtons::Ok);
        comm_.LoadWDogSend();
        flags.ExitRequested = true;
        return FirmwareVerdict::ImageDamaged;
    }

    const FirmwareIdentity ecu = Ecu(), fle = Fle();
    if (!SameProject(ecu, fle)) {
        if (MismatchCount >= kMismatchesBeforeMessage) {
            host.MessageBox(ForeignMessage(texts), kFirmwareTitle, MsgIcon::Critical, MsgButtons::Ok);
            MismatchCount = 0;
        } else {
            ++MismatchCount;
        }
        comm_.LoadWDogSend();
        Refuse();
        return FirmwareVerdict::Foreign;
    }

    FirmwareVerdict verdict = FirmwareVerdict::Accepted;
    if (flags.FirmwareUpdateRequested) {
        flags.FirmwareUpdateRequested = false;
        OpenUpgradeWindow();
        flags.ExitRequested = !flags.RequestsEnabled;
        verdict = FirmwareVerdict::Upgraded;
    } else if (ecu.VersNum == fle.VersNum) {
        if (FirmwareDateLater(fle, ecu)) {
            OpenUpgradeWindow();
            verdict = FirmwareVerdict::Upgraded;
        }
        flags.RequestsEnabled = true;
    } else if (ecu.VersNum < fle.VersNum) {
        OpenUpgradeWindow();
        flags.ExitRequested = !flags.RequestsEnabled;
        verdict = FirmwareVerdict::Upgraded;
    } else {
        host.MessageBox(EcuNewerMessage(texts), kFirmwareTitle, MsgIcon::Critical, MsgButtons::Ok);
        comm_.LoadWDogSend();
        flags.ExitRequested = true;
        verdict = FirmwareVerdict::EcuNewer;
    }
    EndSearchAccepted();
    MismatchCount = 0;
    return verdict;
}

}  // namespace gw
