// FrmInit: the small waiting window shown while the port is searched or the ECU's data are
// first read: the message and a marker moving back and forth on its own 100 ms timer.
// When it shows and what it says is FrmInitLogic's decision; this window only draws it.
#pragma once

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QTimer>

#include "app/FrmInitLogic.h"

namespace gw {

class FrmInit : public QDialog {
public:
    FrmInit(QWidget* owner, std::string type0Text);

    // On every display tick: asks the logic and shows or hides the window.
    void ElaboraMsgCom(bool offLine, bool searchRunning, bool dataToRead);
    FrmInitLogic& Logic() { return logic_; }
    QLabel* LblMsg() const { return lblMsg_; }

protected:
    void keyPressEvent(QKeyEvent*) override {}  // keys do nothing (no Esc close)
    void closeEvent(QCloseEvent* e) override;

private:
    void OnTimer();
    FrmInitLogic logic_;
    QLabel* lblMsg_;
    QFrame* track_;   // Label1
    QFrame* marker_;  // Shape1
    QTimer timer_;
};

}  // namespace gw
