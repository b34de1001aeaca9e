// Workbench: the program's global state, one of each (application folder, scale and type
// configuration, calibration parameters, dictionary, the link and its cycle, the flags the
// windows share), and the start-up in its fixed order. The window program, the command-line
// tool and the tests each make one on their own host; what the pages show is not here.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/ConnectionPresenter.h"
#include "lang/ClsLingue.h"
#include "link/ClsComm.h"
#include "link/ComCycle.h"
#include "link/FirmwareCheck.h"
#include "model/CalibrationParameters.h"
#include "model/ParameterImage.h"
#include "model/ScaleConfig.h"
#include "util/Host.h"
#include "util/Query.h"
#include "util/Signal.h"

namespace gw {

inline constexpr const char* kSoftwareVersion = " Software ver. 01.01.03";

// A port chosen on the command line: the simulated ECU, the USB cable or COM n (1-9).
struct CommandLinePort {
    bool simulated = false;
    bool usb = false;
    int com = 0;
    bool Any() const { return simulated || usb || com != 0; }
};

class Workbench {
public:
    Workbench(Host& host, PortProvider& ports, std::string appFolder);
    ~Workbench();
    Workbench(const Workbench&) = delete;
    Workbench& operator=(const Workbench&) = delete;

    // Start-up: decimal comma, scale constants, dictionary, link settings, calibration
    // parameters, then the two window timers. The window (when there is one) is loaded and
    // shown by loadWindow between the last two steps, so that no tick runs before it is up.
    void Main(const std::function<void()>& loadWindow = {});
    // The main window's load: rotate and open the communication log.
    void OpenCommLog(const std::string& today);
    // Uses the port as it is, without a search; the link settings file is left as it is (a
    // later start without the option finds its settings unchanged). After Main.
    void UseCommandLinePort(const CommandLinePort& port);
    // Closing: off-line, timers stopped, a running exchange let finish, port closed, log
    // closed.
    void Shutdown();

    Host& host;
    std::string AppFolder;
    std::string DecimalComma = ",";
    ScaleConfig Scale;
    CalibrationParameters Calib;
    ClsLingue Lingue;
    std::unique_ptr<ClsComm> Comm;
    std::unique_ptr<ComCycle> Cycle;
    // What the window shows of the link (status-bar fields, the checked port).
    std::unique_ptr<ConnectionPresenter> LinkView;
    // The ECU parameter image; the link's answers are decoded into it.
    std::unique_ptr<ParameterImage> Image;
    // The firmware identity check and the flash image it loads.
    std::unique_ptr<FirmwareCheck> Check;
    std::string AppTitle;
    bool RequestsEnabled = false;
    bool FirmwareUpdateRequested = false;
    bool ExitRequested = false;
    std::string PendingConfigFile;

    std::unique_ptr<Timer> Timer1;  // 1 ms: the communication cycle
    std::unique_ptr<Timer> Timer2;  // 14 ms: the display scheduler
    // The display timer's tick (the display scheduler listens), inside the DisplayBusy guard.
    Signal<> DisplayTicked;
    // Whether a parameter write is pending or running ("UPGRADE" in the status bar).
    Query<bool()> WritePending;
    // After every communication tick (the window refreshes its status bar).
    Signal<> CommTicked;
    // At the end of a display tick, once it is no longer busy, while ExitRequested is set:
    // the window unloads from here.
    Signal<> ExitDue;
    bool DisplayBusy = false;
    // Shutdown has run: nothing may start the timers again.
    bool ShutDown = false;
    // Set to 1 by a click on a logo picture; the display timer performs the fuel switch.
    std::uint8_t FuelSwitchRequest = 0;

    std::string Path(const std::string& relative) const;
    // The identity check's three messages in the current language.
    FirmwareTexts IdentityTexts() const;
    FirmwareFlags Flags() { return FirmwareFlags{RequestsEnabled, FirmwareUpdateRequested, ExitRequested}; }

private:
    void DisplayTick();
    Connection timersSwitched_;
};

}  // namespace gw
