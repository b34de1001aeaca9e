// FrmUpdate: the firmware upgrade window. Modal, over the upgrade wizard (FirmwareUpgrade):
// shows its message, the ECU's and the file's releases, the phase name and progress bar,
// its "Next" and "Esc" buttons, and blinks its background red and orange every 200 ms.
// Every rule (steps, phases, when to close and with which flag) is the wizard's; the
// window forwards the clicks and the timer and copies the state it exposes.
#pragma once

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <memory>

#include "app/FirmwareUpgrade.h"
#include "util/Signal.h"

namespace gw {

class Workbench;

// The wizard's phrases in the dictionary's current language (designed English texts when
// the dictionary has none).
UpgradeTexts UpgradeTextsFor(const Workbench& wb);

class FrmUpdate : public QDialog {
public:
    FrmUpdate(QWidget* owner, Workbench& wb);
    ~FrmUpdate() override;

    FirmwareUpgrade& Logic() { return *logic_; }

    QLabel* LblMsg;
    QLabel* LblRelEcu;
    QLabel* LblRelEcu_Val;
    QLabel* LblRelFle;
    QLabel* LblRelFle_Val;
    QFrame* BarTrack;        // the bar's track
    QFrame* ShpBarUpDate;    // the filled part
    QLabel* LblBackBar;      // the phase name, over the track
    QPushButton* CmdUpdate;  // "Next"
    QPushButton* CmdEsc;     // "Esc"
    QTimer Timer1;           // 200 ms: the background blinks

    // Twips to pixels of the bar.

protected:
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    void ShowState();
    void CloseIfDone();

    Workbench& wb_;
    std::unique_ptr<FirmwareUpgrade> logic_;
    Connection changed_;  // the window follows its logic's state
    bool closing_ = false;
};

}  // namespace gw
