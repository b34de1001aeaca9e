// FrmStartUp: the information window (About): program and firmware versions, working time
// and system, with "Esc" and the "Update firmware" button, which blinks orange every 500 ms
// while it is visible. The button only raises the request; the upgrade is run elsewhere.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <string>

namespace gw {

class Workbench;

class FrmStartUp : public QDialog {
public:
    FrmStartUp(QWidget* owner, Workbench& wb);

    // Text of LblVersioneVal, whether the update button is offered.
    void Fill(const std::string& text, bool updateOffered);

    QLabel* LblVersioneVal;
    QPushButton* Command1;
    QPushButton* CmdUpdateFrm;
    // One blink step (the 500 ms timer); public so that the blinking can be checked.
    void OnTimer();
    bool Blinking() const { return timer_.isActive(); }
    bool UpdateLit() const { return lit_; }

protected:
    void keyPressEvent(QKeyEvent*) override {}  // key presses do nothing
    void showEvent(QShowEvent*) override;
    void hideEvent(QHideEvent*) override;

private:
    void CmdUpdateFrm_Click();
    Workbench& wb_;
    QLabel* Image1;
    QTimer timer_;
    bool lit_ = false;
};

}  // namespace gw
