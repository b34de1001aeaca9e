// FirmwareCheck: reads the ECU's firmware identity (CMD_READ_FIRMWARE, or the two identity
// zones of its memory), loads the flash layout and the firmware image that ship in "\BIN",
// and judges the ECU against the image on every display tick until it is accepted: foreign
// project, older firmware (the upgrade window), newer firmware (the program ends). The
// upgrade itself and the windows are not here: the window opens through a hook.
#pragma once

#include <functional>
#include <string>

#include "link/ClsComm.h"
#include "util/Signal.h"
#include "link/FirmwareIdentity.h"
#include "link/FirmwareImage.h"

namespace gw {

class ComCycle;

inline constexpr const char* kFlashIniPath = "\\BIN\\Flash.ini";
inline constexpr const char* kFirmwareImagePath = "\\BIN\\Norvik512.frh";
inline constexpr const char* kFirmwareTitle = " Firmware ";
// Refusals of a foreign ECU before the message is shown (then the count starts again).
inline constexpr int kMismatchesBeforeMessage = 21;

// The program's flags the check reads and sets (they live with the program's global state).
struct FirmwareFlags {
    bool& RequestsEnabled;          // the ECU has been accepted: requests may run
    bool& FirmwareUpdateRequested;  // the user asked for the upgrade (information window)
    bool& ExitRequested;            // the program is to end
};

// The phrases of the current language (main window's dictionary entries).
struct FirmwareTexts {
    std::string T1;  // the ECU's firmware is newer than the workbench's
    std::string T2;  // the ECU belongs to another project
    std::string T3;  // the firmware image file is missing
    std::string damaged = "The firmware image file is damaged or incomplete.";  // after its path
    std::string softwareVersion = " Software ver. 01.01.03";
};

enum class FirmwareVerdict {
    ImageMissing,  // the image file is missing: message, the program ends
    ImageDamaged,  // the image file is damaged or incomplete: message, the program ends
    NotChecked,    // link not idle, or an identity could not be read: next tick tries again
    Accepted,      // same project, same firmware: requests enabled
    Upgraded,      // the upgrade window was shown (RequestsEnabled says how it ended)
    EcuNewer,      // the ECU's firmware is newer: message, the program ends
    Foreign,       // another project: link closed and reopened
};

class FirmwareCheck {
public:
    // cycle (may be null): its EcuAccepted/EcuRefused end or move on the port search.
    FirmwareCheck(ClsComm& comm, ComCycle* cycle = nullptr);

    // The check offers the upgrade: the window program stops the display timer, shows the
    // upgrade window modally and starts the timer again; the window sets or clears
    // RequestsEnabled as it closes.
    Signal<> UpgradeOffered;
    // Hourglass pointer on/off while the identities are read.
    Signal<bool> BusyPointer;
    FirmwareImage Image;
    std::string FirmwareFle;   // the image file's identity text
    int MismatchCount = 0;     // foreign ECUs refused in a row

    // Reads the ECU's identity into comm.FirmwareEcu, then the layout and the image and the
    // image's identity into FirmwareFle. False when the layout or the image cannot be
    // loaded, or when an on-line ECU gave no identity at all (both CMD_READ_FIRMWARE tries
    // and the zone reads failed). An image file that is not whole (ImageIsWhole), or that
    // is there but cannot be read or is far too large, is refused: Image and FirmwareFle
    // keep what they held and ImageDamaged is set.
    bool LeggiIdentita();
    // The last LeggiIdentita found the image file damaged or incomplete.
    bool ImageDamaged = false;

    // One run of the identity check (every display tick while RequestsEnabled is false).
    FirmwareVerdict VerificaFirmware(FirmwareFlags flags, const FirmwareTexts& texts);

    FirmwareIdentity Ecu() const { return FirmwareIdentity::Parse(comm_.FirmwareEcu); }
    FirmwareIdentity Fle() const { return FirmwareIdentity::Parse(FirmwareFle); }
    // The information window's "Update firmware" button shows when this holds.
    bool FileNewerThanEcu() const;

    std::string ImagePath() const;
    std::string FlashIniPath() const;

    // The message texts (exposed for the windows that show the same lines).
    std::string EcuNewerMessage(const FirmwareTexts& texts) const;
    std::string ForeignMessage(const FirmwareTexts& texts) const;

private:
    bool ReadEcuIdentity();
    void OpenUpgradeWindow();
    void EndSearchAccepted();
    void Refuse();

    ClsComm& comm_;
    ComCycle* cycle_;
};

}  // namespace gw
