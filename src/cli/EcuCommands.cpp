#include "cli/EcuCommands.h"

#include <cstdio>
#include <ctime>
#include <iostream>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define STDIN_FILENO 0
#else
#include <unistd.h>
#endif

#include "app/DictionaryEntries.h"
#include "app/FirmwareUpgrade.h"
#include "model/CorrectionTables.h"
#include "model/EcuRequests.h"
#include "model/VarFile.h"
#include "util/LocalTime.h"

namespace gw::cli {

volatile int g_stop = 0;

MsgAnswer CliHost::MessageBox(const std::string& text, const std::string& title, MsgIcon icon,
                              MsgButtons buttons) {
    std::string shown = text;
    for (auto& c : shown)
        if (c == '\r') c = ' ';
    std::fprintf(stderr, "[%s] %s\n", title.c_str(), shown.c_str());
    MsgAnswer answer = MsgAnswer::Ok;
    const std::string zoneTitle = kZoneQuestionTitle;
    const bool zoneQuestion = title.size() >= zoneTitle.size() &&
                              title.compare(title.size() - zoneTitle.size(), zoneTitle.size(), zoneTitle) == 0;
    if (buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel) {
        if (zoneQuestion ? skipFailedZones : assumeYes) {
            answer = MsgAnswer::Yes;
        } else {
            answer = AskYes("answer y/n: ") ? MsgAnswer::Yes : MsgAnswer::No;
        }
        std::fprintf(stderr, "  -> %s\n", answer == MsgAnswer::Yes ? "Yes" : "No");
    } else if (buttons == MsgButtons::OkCancel || buttons == MsgButtons::RetryCancel) {
        answer = assumeYes ? (buttons == MsgButtons::OkCancel ? MsgAnswer::Ok : MsgAnswer::Retry) : MsgAnswer::Cancel;
    }
    (void)icon;
    return answer;
}

bool AskYes(const std::string& prompt) {
    if (!isatty(STDIN_FILENO)) return false;
    std::fprintf(stderr, "%s", prompt.c_str());
    std::string line;
    std::getline(std::cin, line);
    return !line.empty() && (line[0] == 'y' || line[0] == 'Y');
}

bool WaitConnected(Workbench& wb, SteadyHost& host, double timeoutS) {
    const double end = host.MicroClock() + timeoutS * 1e6;
    while (!g_stop && host.MicroClock() < end) {
        host.RunEventsUntil(std::min(end, host.MicroClock() + 10'000));
        if (!wb.Comm->WDogPresente && wb.Comm->ComState == kComIdle && wb.Comm->IsOpen()) return true;
    }
    return false;
}

std::string DateText(bool withTime) {
    std::time_t t = std::time(nullptr);
    const std::tm tm = LocalTime(t);
    char buf[32];
    std::strftime(buf, sizeof buf, withTime ? "%d/%m/%Y %H:%M:%S" : "%d/%m/%Y", &tm);
    return buf;
}

namespace {

void PrintIdentity(const char* who, const FirmwareIdentity& id) {
    std::printf("%-5s %s  version %s (%d)  date %s  project %s  customer %s  code %s\n", who,
                id.Text.empty() ? "(none)" : id.Text.substr(0, 12).c_str(), id.VersStr.c_str(), id.VersNum,
                id.DataStr.c_str(), id.KDXXX.c_str(), id.CLIENTE.c_str(), id.CODICE.c_str());
}

const char* VerdictText(FirmwareVerdict v, bool requestsEnabled) {
    switch (v) {
        case FirmwareVerdict::ImageMissing: return "the firmware image file is missing";
        case FirmwareVerdict::ImageDamaged: return "the firmware image file is damaged or incomplete";
        case FirmwareVerdict::NotChecked: return "not checked (no identity could be read)";
        case FirmwareVerdict::Accepted: return "accepted: same project and firmware";
        case FirmwareVerdict::Upgraded:
            return requestsEnabled ? "accepted after the upgrade window" : "an upgrade is needed (run: flash)";
        case FirmwareVerdict::EcuNewer: return "refused: the ECU's firmware is newer than the image";
        case FirmwareVerdict::Foreign: return "refused: the ECU belongs to another project";
    }
    return "?";
}

// Connects and runs the identity check without opening any window: an upgrade the check
// would offer is reported, not started.
FirmwareVerdict Check(Workbench& wb, bool* upgradeOffered) {
    bool offered = false;
    const Connection offer = wb.Check->UpgradeOffered.Connect([&] { offered = true; });
    const FirmwareVerdict v = wb.Check->VerificaFirmware(wb.Flags(), wb.IdentityTexts());
    if (upgradeOffered) *upgradeOffered = offered;
    return v;
}

bool Connect(Workbench& wb, SteadyHost& host, double timeoutS) {
    wb.OpenCommLog(DateText());
    if (WaitConnected(wb, host, timeoutS)) return true;
    std::fprintf(stderr, "no ECU answered within %.0f s\n", timeoutS);
    return false;
}

// Reads blocks 2, 3, 5 (when the firmware has it) and the test-date memo.
bool ReadBlocks(Workbench& wb) {
    ClsComm& c = *wb.Comm;
    if (!ReadBlock(2, c) || !ReadBlock(3, c) || !ReadBlock(6, c)) return false;
    if (wb.Image->EcuHasBlock5() && !ReadBlock(5, c)) return false;
    return true;
}

}  // namespace

int Identity(Workbench& wb, SteadyHost& host, double timeoutS) {
    if (!Connect(wb, host, timeoutS)) return 1;
    bool offered = false;
    const FirmwareVerdict v = Check(wb, &offered);
    PrintIdentity("ECU", wb.Check->Ecu());
    PrintIdentity("File", wb.Check->Fle());
    std::printf("verdict: %s\n", VerdictText(v, wb.RequestsEnabled && !offered));
    wb.Shutdown();
    return v == FirmwareVerdict::Accepted ? 0 : (v == FirmwareVerdict::Upgraded ? 3 : 1);
}

int ReadConfig(Workbench& wb, SteadyHost& host, const std::string& path, double timeoutS) {
    if (!Connect(wb, host, timeoutS)) return 1;
    if (!wb.Check->LeggiIdentita() || !ReadBlocks(wb) ||
        !ReadCorTable(*wb.Comm, wb.Image->CorTableEcu, wb.Scale.K_Time_Inj_ms)) {
        std::fprintf(stderr, "the ECU did not answer every read; nothing was saved\n");
        wb.Shutdown();
        return 1;
    }
    wb.Image->AdoptCorTable(wb.Image->CorTableEcu);
    std::string error;
    const bool ok = SaveVarFile(*wb.Image, path, wb.AppTitle, DateText(true), &error);
    if (ok)
        std::printf("saved %s (blocks 2, 3%s and the correction table)\n", path.c_str(),
                    wb.Image->EcuHasBlock5() ? ", 5" : "");
    else
        std::fprintf(stderr, "cannot save %s: %s\n", path.c_str(), error.c_str());
    wb.Shutdown();
    return ok ? 0 : 1;
}

int WriteConfig(Workbench& wb, SteadyHost& host, const std::string& path, double timeoutS) {
    if (access(path.c_str(), R_OK) != 0) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return 2;
    }
    switch (CheckVarFile(path)) {
        case VarFileProblem::None: break;
        case VarFileProblem::TooLarge:
            std::fprintf(stderr, "%s is too large to be a configuration file; nothing was written\n", path.c_str());
            return 2;
        case VarFileProblem::Damaged:
            std::fprintf(stderr, "%s is damaged or incomplete (not a whole configuration); nothing was written\n",
                         path.c_str());
            return 2;
        default:
            std::fprintf(stderr, "cannot read %s\n", path.c_str());
            return 2;
    }
    if (!Connect(wb, host, timeoutS)) return 1;
    // The ECU's own blocks first: what the file cannot give (mode, state) comes from them.
    if (!wb.Check->LeggiIdentita() || !ReadBlocks(wb)) {
        std::fprintf(stderr, "the ECU did not answer the reads; nothing was written\n");
        wb.Shutdown();
        return 1;
    }
    VarLoadReport report;
    const bool ok = LoadVarFile(*wb.Image, path, &report, timeoutS * 1e6);
    if (ok)
        std::printf("written %s to the ECU (read back and compared)\n", path.c_str());
    else
        std::fprintf(stderr, "%s\n", report.message.empty() ? "the configuration was not written" : report.message.c_str());
    wb.Shutdown();
    return ok ? 0 : 1;
}

int Flash(Workbench& wb, SteadyHost& host, double timeoutS) {
    if (!Connect(wb, host, timeoutS)) return 1;
    if (!wb.Check->LeggiIdentita()) {
        std::fprintf(stderr, "cannot read the identities (ECU, BIN/Flash.ini, BIN/Norvik512.frh)\n");
        wb.Shutdown();
        return 1;
    }
    PrintIdentity("ECU", wb.Check->Ecu());
    PrintIdentity("File", wb.Check->Fle());
    if (!SameProject(wb.Check->Ecu(), wb.Check->Fle())) {
        std::fprintf(stderr, "the ECU belongs to another project: not flashed\n");
        wb.Shutdown();
        return 1;
    }
    const ClsLingue& l = wb.Lingue;
    auto text = [&l](int entry, const char* fallback) {
        const std::string t = l.Voce(entry);
        return t.empty() ? std::string(fallback) : t;
    };
    UpgradeTexts texts;
    texts.caption = "Firmware upgrade";
    texts.start = text(kEntryUpgradeStart, "Firmware upgrade. Press Next to start.");
    texts.ready = text(kEntryUpgradeReady, "Ready: press Next to write the firmware.");
    texts.stopEngine = text(kEntryUpgradeStopEngine, "Stop the engine, leave the key on, then press Next.");
    texts.error = text(kEntryMsgCommunicationError, "Communication error.");
    texts.done = text(kEntryUpgradeDone, "Upgrade finished.");
    texts.confirmExit = text(kEntryMsgAreYouSure, "Are you sure?");

    wb.Timer2->SetEnabled(false);  // no display requests during the upgrade
    bool requestsEnabled = false;
    FirmwareUpgrade up(*wb.Comm, *wb.Check, *wb.Image, requestsEnabled, texts);
    std::string lastPhase, lastMsg;
    int lastPercent = -1;
    double writeStart = 0, writeEnd = 0;
    Connection changed = up.StateChanged.Connect([&] {
        if (up.LblBackBar == kPhaseWrite && writeStart == 0) writeStart = host.MicroClock();
        if (up.LblBackBar == kPhaseWriteEnd && writeEnd == 0) writeEnd = host.MicroClock();
        if (up.LblMsg != lastMsg && !up.LblMsg.empty()) {
            std::printf("%s\n", up.LblMsg.c_str());
            lastMsg = up.LblMsg;
        }
        const int percent = up.trackWidth > 0 ? up.barWidth * 100 / up.trackWidth : 0;
        if (up.LblBackBar != lastPhase || percent / 10 != lastPercent / 10) {
            std::printf("  %-16s %3d %%\n", up.LblBackBar.c_str(), percent);
            lastPhase = up.LblBackBar;
            lastPercent = percent;
        }
        std::fflush(stdout);
    });
    up.Form_Load();
    // Next until the wizard has run: at step 0 it checks that the engine stands, which the
    // installer may need a moment for; step 1 runs the whole upgrade.
    const double giveUp = host.MicroClock() + timeoutS * 1e6;
    while (!up.closed && up.step != FirmwareUpgrade::kFinished && !g_stop && up.nextVisible && up.nextEnabled) {
        const int before = up.step;
        up.CmdUpdate_Click();
        if (up.step == before && before == FirmwareUpgrade::kWaitingFirstNext) {
            if (host.MicroClock() > giveUp) {
                std::fprintf(stderr, "the engine did not stop within %.0f s: not flashed\n", timeoutS);
                break;
            }
            host.RunEventsUntil(host.MicroClock() + 1'000'000);
        } else if (up.step == before) {
            break;
        }
    }
    const bool ok = up.step == FirmwareUpgrade::kFinished && requestsEnabled && !up.incomplete && up.zonesFailed == 0;
    std::printf("%s: %d zones written, %d not written, %d erased zones skipped\n",
                ok ? "upgrade finished" : "upgrade failed", up.zonesWritten, up.zonesFailed, up.zonesSkipped);
    if (up.incomplete)
        std::fprintf(stderr, "the ECU's firmware is incomplete (it reads as erased): repeat the upgrade%s\n",
                     up.recoveryPath.empty() ? "" : ("; its configuration is kept in " + up.recoveryPath).c_str());
    if (writeStart > 0 && writeEnd > writeStart && up.zonesWritten > 0) {
        // The least the zone writes can take on this link: every byte of each frame at line
        // speed plus the pause after it, the quiet time before the answer, and the answer.
        const double byteUs = 10e6 / 38400.0;
        const double frameBytes = 137, answerBytes = 6;
        const ClsComm& c = *wb.Comm;
        const double zoneFloorUs = frameBytes * (byteUs + c.AttesaByteTx_usec) + c.Idle_usec + answerBytes * byteUs;
        const double floorS = up.zonesWritten * zoneFloorUs / 1e6, tookS = (writeEnd - writeStart) / 1e6;
        std::printf("zone writes: %.1f s for %d zones, floor %.1f s, ratio %.3f\n", tookS, up.zonesWritten, floorS,
                    tookS / floorS);
    }
    if (ok) {
        wb.Check->LeggiIdentita();
        PrintIdentity("ECU", wb.Check->Ecu());
    }
    wb.Shutdown();
    return ok ? 0 : 1;
}

}  // namespace gw::cli
