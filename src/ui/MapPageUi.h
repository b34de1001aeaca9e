// MapPageUi: puts the Map page into the main window: makes the page's core (on the
// workbench's parameter image) and its widget, hands the sample answers and the "Auto
// Tuning" state to the display timer, shows the engine's current point on its S2 slot, and
// gives the page its captions. Owned by the main window.
#pragma once

#include <QObject>
#include <memory>

#include "app/MapPage.h"
#include "util/Signal.h"

namespace gw {

class FrmKD452;
class MapPageWidget;
class QtHost;
class Workbench;
class WorkbenchUi;

class MapPageUi : public QObject {
public:
    MapPageUi(FrmKD452& win, WorkbenchUi& ui, Workbench& wb, QtHost& host);

    MapPage& Core() { return *core_; }
    MapPageWidget& Widget() { return *widget_; }
    void ApplyTexts();

private:
    void ShowCurrentPoint();

    Workbench& wb_;
    std::unique_ptr<MapPage> core_;
    MapPageWidget* widget_;
    Connection tuning_, slots_, pairs_;
};

// Makes the Map page (owned by the main window) in place of the tab's placeholder.
void AttachMapPage(FrmKD452& win, WorkbenchUi& ui, Workbench& wb, QtHost& host);
// The Map page of a main window, or nullptr.
MapPageUi* MapPageOf(FrmKD452& win);

}  // namespace gw
