// WorkbenchUi: binds the main window to the core that runs it: the display scheduler
// (Timer2's work) and the General page and parameters frame it refreshes, the
// Configuration page's logic and its lists, the configuration files (deferred load, save,
// "Reset All"), the information window's values and the firmware upgrade window. It copies
// the presenters' texts, colours and visibility into widgets, writing only what changed,
// and forwards the user's choices; the rules stay in the core. The side windows attach
// themselves to the window and reach the scheduler and the page logic through here.
#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "app/ConfigPage.h"
#include "app/AboutText.h"
#include "app/DisplayScheduler.h"
#include "model/VarFile.h"
#include "util/Signal.h"

#include <vector>

class QComboBox;

namespace gw {

class FrmKD452;
class FrmUpdate;
class QtHost;
class Workbench;

class WorkbenchUi : public QObject {
    Q_OBJECT
public:
    // Made right after the window, before the timers start (inside Workbench::Main).
    WorkbenchUi(Workbench& wb, QtHost& host, FrmKD452& window);
    ~WorkbenchUi() override;
    WorkbenchUi(const WorkbenchUi&) = delete;
    WorkbenchUi& operator=(const WorkbenchUi&) = delete;

    DisplayScheduler& Scheduler() { return scheduler_; }
    ConfigPageLogic& ConfigLogic() { return config_; }

    // Writes the image to a configuration file; a failure is shown in a message box.
    bool SaveConfiguration(const std::string& path);
    // The firmware upgrade window, modal, with the display timer stopped.
    void RunUpgradeWindow();
    // The information window's values; the firmware file's identity is read again.
    AboutInfo AboutValues();

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
    void HighlightInjector(int selected);

    Workbench& wb_;
    QtHost& host_;
    FrmKD452& win_;
    DisplayScheduler scheduler_;
    ConfigPageLogic config_;
    std::array<QComboBox*, kConfigListCount> combos_{};
    int lambdaSegment_ = -1;
    std::vector<Connection> connections_;  // to the core's signals and the window's queries

signals:
    // For a test or a screenshot: the upgrade window is shown (modal, running).
    void upgradeWindowShown(FrmUpdate* dialog);
};

}  // namespace gw
