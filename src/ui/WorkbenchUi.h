// WorkbenchUi: binds the main window to the core that runs it: the display scheduler
// (Timer2's work) and the General page and parameters frame it refreshes, the
// Configuration page's logic and its lists, the configuration files (deferred load, save,
// "Reset All"), the information window's values and the firmware upgrade window. It copies
// the presenters' texts, colours and visibility into widgets, writing only what changed,
// and forwards the user's choices; the rules stay in the core. The side windows attach
// themselves to the window and reach the scheduler and the page logic through here.
#pragma once

#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "app/ConfigPage.h"
#include "app/AboutText.h"
#include "app/DisplayScheduler.h"
#include "model/VarFile.h"

class QComboBox;

namespace gw {

class FrmKD452;
class QtHost;
class Workbench;

class WorkbenchUi {
public:
    // Made right after the window, before the timers start (inside Workbench::Main).
    WorkbenchUi(Workbench& wb, QtHost& host, FrmKD452& window);
    ~WorkbenchUi();
    WorkbenchUi(const WorkbenchUi&) = delete;
    WorkbenchUi& operator=(const WorkbenchUi&) = delete;

    DisplayScheduler& Scheduler() { return scheduler_; }
    ConfigPageLogic& ConfigLogic() { return config_; }

    // Loads a configuration file into the image and writes it to the ECU (display timer
    // stopped meanwhile, the ECU switched to petrol and back when it ran on gas); retitles
    // the window. True when every step succeeded.
    bool CaricaConfigurazione(const std::string& path);
    // Writes the image to a configuration file; a failure is shown in a message box.
    bool SaveConfiguration(const std::string& path);
    // The firmware upgrade window, modal, with the display timer stopped.
    void RunUpgradeWindow();
    // The information window's values; the firmware file's identity is read again.
    AboutInfo AboutValues();
    // A pending configuration file that fails this many times in a row is given up
    // (reported once) instead of being retried for ever.
    static constexpr int kLoadAttempts = 3;
    // Hook for a test or a screenshot: called with the upgrade window once it is shown.
    std::function<void(class FrmUpdate&)> onUpgradeWindowShown;

    // Copies the scheduler's view into the General page and the parameters frame.
    void ShowGeneral(GeneralPart part);
    // Copies the Configuration page's lists and selections into its widgets.
    void ShowConfig();

private:
    void BindScheduler();
    void BindGeneral();
    void BindConfig();
    void BindFiles();
    void ReadTypeTables();
    void FillConfigPage();
    void ReportLoadFailure(const std::string& path);
    bool LoadPending(const std::string& path);
    void HighlightInjector(int selected);

    Workbench& wb_;
    QtHost& host_;
    FrmKD452& win_;
    DisplayScheduler scheduler_;
    ConfigPageLogic config_;
    std::array<QComboBox*, kConfigListCount> combos_{};
    int lambdaSegment_ = -1;
    int failedLoads_ = 0;
    std::string failedPath_;
    VarLoadReport lastLoad_;  // what the last configuration load found
};

}  // namespace gw
