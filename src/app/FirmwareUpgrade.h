// FirmwareUpgrade: the firmware upgrade wizard's logic (the upgrade window's state and its
// two buttons): saves the ECU's blocks 2, 3, 5, correction table and test date, puts the
// ECU in programming mode, erases and writes its flash zone by zone from the image, ends
// the write, reads the identities again, writes the saved configuration back, clears
// samples and errors and saves the flash. The window shows the state it exposes (message,
// release texts, phase name, bar width, which buttons show) and forwards clicks and its
// 200 ms timer; drawing is the window's. The identity check (FirmwareCheck) opens it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "app/Colours.h"
#include "link/ClsComm.h"
#include "link/ComCycle.h"
#include "link/FirmwareCheck.h"
#include "model/ParameterImage.h"
#include "model/TimeTable.h"
#include "util/Signal.h"

namespace gw {

// Phase names shown in the bar's track.
inline constexpr const char* kPhaseInit = "Inizialization ";
inline constexpr const char* kPhaseErase = "Erase Flash ";
inline constexpr const char* kPhaseWrite = "Write Memory";
inline constexpr const char* kPhaseWriteEnd = "Write End";
inline constexpr const char* kPhaseConfiguration = "Configuration ";
inline constexpr const char* kPhaseSaveFlash = "Save Flash ";
inline constexpr const char* kPhaseEnd = "End UpGrade ";
// Shown in the track when zones were left unwritten: the ECU's firmware is incomplete.
inline constexpr const char* kPhaseIncomplete = "UpGrade incomplete: repeat it ";

inline constexpr const char* kSendMessageError = "COMUNICATION ERROR, SEND MESSAGE";
inline constexpr const char* kZoneQuestionTitle = " - ScaricaFirmwareDefaultParametri ";
inline constexpr const char* kDefaultXarPath = "\\LNG\\Default.Xar";

// The window's phrases in the current language.
struct UpgradeTexts {
    std::string caption;        // the window caption (message box titles)
    std::string start;          // U-start
    std::string ready;          // U-ready: press Next
    std::string stopEngine;     // U-stop-engine
    std::string error;          // U-error: communication failure
    std::string done;           // U-done
    std::string confirmExit;    // U-confirm-exit
    std::string relEcuCaption = "Ecu release: ";
    std::string relFleCaption = "File release: ";
};

class FirmwareUpgrade {
public:
    enum Step { kWaitingFirstNext = 0, kReady = 1, kFinished = 4, kConfirmExit = 5 };

    // requestsEnabled: the program's flag, set or cleared as the window closes.
    FirmwareUpgrade(ClsComm& comm, FirmwareCheck& check, ParameterImage& image, bool& requestsEnabled,
                    UpgradeTexts texts);

    // ---- what the window forwards ----
    void Form_Load();
    void OnTimer1();          // 200 ms: the background alternates red and orange
    void CmdUpdate_Click();   // "Next": one wizard step (the whole upgrade in step 1)
    void CmdEsc_Click();      // "Esc": asks once, closes on the second press or when finished

    // ---- the flash operations ----
    bool ImpostaProgrammazione();
    bool EraseAllFlash();
    std::string WriteMemoryToTab(std::uint32_t address);  // "%OK" or "%KO"
    bool FineScrittura();

    // ---- the window's state ----
    int step = kWaitingFirstNext;
    std::string LblMsg;
    std::string LblRelEcu, LblRelEcu_Val, LblRelFle, LblRelFle_Val;
    std::string LblBackBar;        // the phase name in the bar's track
    bool nextVisible = true, nextEnabled = true;
    bool escVisible = true, escEnabled = true;
    bool barVisible = false;       // track and filled part
    bool barFilledVisible = true;  // the filled part (blinks)
    int trackWidth = 4815;         // twips; the window sets its own
    int barWidth = 45;             // twips of the filled part
    std::uint32_t backColour = kColRed;
    bool timerEnabled = false;
    bool busyPointer = false;
    bool closed = false;           // the window is to be unloaded
    // Called whenever the shown state changed (the window refreshes); may be empty.
    Signal<> StateChanged;

    // ---- what was saved before flashing ----
    Block2Record savedBlock2;
    Block3Record savedBlock3;
    Block5Record savedBlock5;
    TimeTable savedCorTable{};
    std::string savedTestDate;  // the whole answer frame of CMD_READ_DCOL_FL

    // Zones the ECU acknowledged, zones left unwritten (failed or never reached) and
    // zones skipped as erased, in the last write phase.
    int zonesWritten = 0;
    int zonesFailed = 0;
    int zonesSkipped = 0;
    // The last run stopped with the flash incomplete (a zone left unwritten).
    bool incomplete = false;
    // The recovery file of this ECU (full path; empty before the first "Next" of step 1),
    // and whether the saved configuration came from it.
    std::string recoveryPath;
    bool restoredFromRecovery = false;

private:
    bool Send3(const std::string& frame);
    bool Try3(const std::function<bool()>& request);
    bool SaveConfiguration();
    bool ReadConfiguration();
    bool UseRecoveryFile(const std::string& path);
    bool WriteRecoveryFile();
    void DropRecoveryFile();
    enum class ZonesResult { Done, GivenUp, Incomplete };
    ZonesResult WriteZones();
    bool WriteOneZone(std::uint32_t address, bool& givenUp);
    void IncompleteEnding();
    bool RestoreConfiguration();
    bool LoadBlock5Defaults();
    void Upgrade();
    void FailureEnding();
    void GiveUp();
    void Phase(const char* name);
    void GrowBar();
    void Blink(int times);
    void RefreshReleases();
    bool EngineStopped() const;
    void Wait(double us);
    void Changed();

    ClsComm& comm_;
    FirmwareCheck& check_;
    ParameterImage& image_;
    bool& requestsEnabled_;
    UpgradeTexts texts_;
    bool running_ = false;
    bool block5Saved_ = false;  // block 5 was read, or its defaults loaded
    bool recoveryWritten_ = false;  // this run wrote the recovery file
    std::string savedBlock2Hex_, savedBlock3Hex_, savedBlock5Hex_;
};

}  // namespace gw
