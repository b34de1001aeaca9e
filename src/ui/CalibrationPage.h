// The "Calibration - F5" page: the step, the instructions, the progress bar and the two
// buttons ("Yes": Enter or Y, "Esc": Escape), as a thin widget over the core Calibration;
// CalibrationUi makes the core object, puts the page into the main window, copies the view
// into the widgets (and the blinking boxes of the parameters frame) and forwards the clicks.
#pragma once

#include <QFrame>
#include <QLabel>
#include <QObject>
#include <QPushButton>
#include <QShortcut>
#include <QWidget>
#include <memory>
#include <vector>

#include "app/Calibration.h"
#include "app/CalibrationDriver.h"
#include "util/Signal.h"

namespace gw {

class DisplayScheduler;
class FrmKD452;
class QtHost;
class SimEcu;
class Workbench;

class CalibrationPage : public QWidget {
    Q_OBJECT
public:
    explicit CalibrationPage(QWidget* parent = nullptr);

    QLabel* LblCalStep;
    QLabel* LblCalMsg;
    QFrame* ShpCalTrack;  // the bar's full width
    QFrame* ShpCalStep;   // the bar
    QPushButton* CmdCalStart;
    QPushButton* CmdCalCancel;

    // The bar's width in twips of the full kBarFullWidth.
    void SetBar(int width, bool visible);

protected:
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    int barWidth_ = Calibration::kBarFullWidth;
    std::vector<QShortcut*> shortcuts_;  // enabled while the page is shown
};

class CalibrationUi : public QObject {
    Q_OBJECT
public:
    // ecuForDriver: the simulated ECU whose car the scripted driver drives (nullptr: none).
    CalibrationUi(Workbench& wb, QtHost& host, FrmKD452& window, DisplayScheduler& scheduler, SimEcu* ecuForDriver);
    ~CalibrationUi() override;

    Calibration& Core() { return *cal_; }
    CalibrationPage* Page() { return page_; }

private:
    void Show();
    void ApplyTexts();
    void ShowBox(QLabel* box, const BoxColours& c);

    Workbench& wb_;
    FrmKD452& win_;
    std::unique_ptr<Calibration> cal_;
    std::unique_ptr<CalibrationDriver> driver_;
    CalibrationPage* page_;
    std::vector<Connection> connections_;
    bool boxesOwned_ = false;  // the frame's two boxes show the calibration's colours
};

}  // namespace gw
