// FrmErrEcu: the ECU errors window (non-modal): the grid of named errors with their present
// and memorised states, "Canc." to clear the ECU's error memory and "Esc" (or the Esc key)
// to close. It copies ErrEcuWindow's rows into the grid every second and forwards the
// clicks; reading, masking and the warning button are EcuErrors' job.
#pragma once

#include <QDialog>
#include <functional>

#include "app/ErrEcuWindow.h"

class QPushButton;
class QTableWidget;
class QTimer;

namespace gw {

class FrmErrEcu : public QDialog {
    Q_OBJECT
public:
    FrmErrEcu(QWidget* parent, EcuErrors& errors, ClsComm& link, const ClsLingue& lingue);

    // Loads the rows and texts afresh and shows the window with its timer running.
    void Open();
    ErrEcuWindow& Logic() { return logic_; }
    void Sync();

    QTableWidget* Grid;
    QPushButton* CmdErrInjCanc;
    QPushButton* Command2;

protected:
    void hideEvent(QHideEvent* e) override;

private:
    ErrEcuWindow logic_;
    const ClsLingue& lingue_;
    QTimer* timer1_;

signals:
    // After "Canc." (the General page's warning button follows at once).
    void cancelled();
};

}  // namespace gw
