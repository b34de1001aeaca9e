// Pictures of the window for the documentation (scripts/screenshots.sh): a small script
// file says which page or side window to show, what the simulated ECU is like, how long to
// wait and where to save the picture; the program then closes the ordinary way. Not an
// installer's feature: the window program has one option for it, --screenshot-script FILE.
//
// The script: one setting a line, blank lines and lines starting with "#" skipped.
//   save FILE           the picture's file (required)
//   after SECONDS       wait before the picture (default 4)
//   page NAME|TAB       calibration, modeling, map, general, configuration, or 0-4
//   about               open the information window first
//   side NAME           picture the side window alone: injector, level, expert,
//                       expert-full (past the second password), errors
//   upgrade-next        press "Next" in the upgrade window until the upgrade has run
//   sim-old-firmware    the simulated ECU has an older firmware (the upgrade window opens)
//   sim-key-off         the simulated ECU's ignition is off
//   sim-errors          the simulated ECU holds two errors
//   min-size            the main window at its minimum size
//   calibrate           press the Calibration page's "Yes" once the ECU's data are in
//   viewer FILE         picture the signal viewer alone, showing the view file FILE whole
//   sim-tuned-model     the simulated ECU holds the correction table of a tuned model
//   sim-drive-on-gas    the simulated car is driven (changing loads) and runs on gas
//   model-point N       the model page's point N (0-6) selected
//   click NAME          press the button of that object name halfway to the picture
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/SimEcu.h"

namespace gw {

class FrmKD452;
class QtHost;
class Workbench;
class WorkbenchUi;

struct ScreenshotScript {
    std::string save;
    double after = 4.0;
    int page = -1;  // -1: the start page
    bool about = false;
    std::string side;
    bool upgradeNext = false;
    bool simOldFirmware = false;
    bool simKeyOff = false;
    bool simErrors = false;
    bool minSize = false;
    bool calibrate = false;
    std::string viewer;  // a view file to show in the signal viewer
    bool simTunedModel = false;
    bool simDriveOnGas = false;
    int modelPoint = -1;
    std::vector<std::string> clicks;
};

// The script's settings; nullopt and the reason (with the line's number) when a line is
// not understood or the file cannot be read.
std::optional<ScreenshotScript> ParseScreenshotScript(const std::string& text, std::string* error);
std::optional<ScreenshotScript> ReadScreenshotScript(const std::string& path, std::string* error);

// The simulated ECU the script asks for.
std::shared_ptr<SimEcu> SimulatedEcuFor(const ScreenshotScript& script, const SimCarOptions& car = {});

// Sets the page and arms the timers that open what the script asks for, take the picture
// and close the window. Called while the window loads, before it is shown.
void StartScreenshot(const ScreenshotScript& script, Workbench& wb, QtHost& host, FrmKD452& window, WorkbenchUi& ui);

}  // namespace gw
