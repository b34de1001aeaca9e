// SideWindows: attaches the side windows to the main window's buttons (injector settings,
// gas level sensor, expert settings, ECU errors) and keeps the ECU error reading that
// drives the General page's warning button. The windows are made on first use and live as
// long as the main window; this is wiring only, the windows and their logic do the rest.
#pragma once

#include <QObject>
#include <memory>
#include <vector>

#include "app/EcuErrors.h"
#include "util/Signal.h"

namespace gw {

class FrmKD452;
class WorkbenchUi;
class Workbench;
class FrmInjSet;
class FrmLevelSetting;
class FrmSetExpert;
class FrmErrEcu;

class SideWindows : public QObject {
public:
    SideWindows(FrmKD452& win, WorkbenchUi& ui, Workbench& wb);

    FrmInjSet* InjSet();
    // Opens the injector window on the General page's shown (smoothed) times.
    void OpenInjSet();
    FrmLevelSetting* LevelSetting();
    FrmSetExpert* SetExpert();
    // Opens the expert window and has the ECU's error memory read (on the display timer's
    // next slot, so that it never cuts into an exchange in progress).
    void OpenExpert();
    FrmErrEcu* ErrEcu();
    EcuErrors& Errors() { return errors_; }
    // The warning button (CmdErrInj) from the errors' state.
    void ShowWarning();
    // The error texts and the button's caption in the current language.
    void ApplyTexts();

private:
    FrmKD452& win_;
    WorkbenchUi& ui_;
    Workbench& wb_;
    EcuErrors errors_;
    FrmInjSet* injSet_ = nullptr;
    FrmLevelSetting* level_ = nullptr;
    FrmSetExpert* expert_ = nullptr;
    FrmErrEcu* errEcu_ = nullptr;
    bool readErrors_ = false;  // the error memory is to be read on the next slot
    std::vector<Connection> connections_;  // to the scheduler's signals and queries
};

// Makes the side windows (owned by the main window) and attaches them to its buttons.
void AttachSideWindows(FrmKD452& win, WorkbenchUi& ui, Workbench& wb);
// The side windows attached to a main window, or nullptr.
SideWindows* SideWindowsOf(FrmKD452& win);

}  // namespace gw
