// FrmInjSet: the injector settings window (non-modal): one row per cylinder in use with
// its mode list, live petrol and gas times, gas time offset with scroll bar and recentre
// button, and the sensitivity slider. It copies InjSetLogic's state into its widgets on
// the logic's 500 ms refresh and forwards the user's actions; the rules stay in the logic.
// Key presses (Esc included) do nothing.
#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "app/InjSetLogic.h"
#include "util/Signal.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QSlider;
class QGroupBox;

namespace gw {

class FrmInjSet : public QDialog {
public:
    FrmInjSet(QWidget* parent, Host& host, ParameterImage& image, const ClsLingue* lingue);
    ~FrmInjSet() override;

    // Shows the window, loaded afresh at every opening (rows, caption and texts from the
    // state now); the live times come from liveTimes on each refresh (the image's own
    // values when empty).
    void Open(std::function<InjLiveTimes()> liveTimes = {});
    InjSetLogic& Logic() { return logic_; }
    void Sync();

    struct Row {
        QLabel* LblInj;
        QComboBox* CmbSelect;
        QLineEdit* TxtInjFuelPetrol;
        QLineEdit* TxtInjFuelGas;
        QLineEdit* TxtInjGas;
        QScrollBar* HScrTime;
        QPushButton* CmdDefaultTime;
    };
    std::array<Row, kInjectors> rows{};
    QGroupBox* FrmInj;
    QLabel *LblInjNum, *LblTimePetrol, *LblTime, *LblEnricht, *LblInjSet;
    std::array<QLabel*, 3> LblBadBit{};
    QSlider* SldBadBit;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* obj, QEvent* e) override;
    void changeEvent(QEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    InjSetLogic logic_;
    Connection changed_;  // the window follows its logic's state
    bool loaded_ = false;
};

}  // namespace gw
