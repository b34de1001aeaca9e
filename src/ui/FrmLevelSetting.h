// FrmLevelSetting: the gas level sensor window (non-modal): the present sensor voltage and
// the four threshold rows (scroll bar, volts, unit, light, "1/4" ... "4/4", the full row on
// top) with the "Default" button. It copies LevelSettingLogic's state into its widgets on
// the logic's 500 ms refresh and forwards scrolls, "Default" and keys (Esc closes).
#pragma once

#include <QDialog>
#include <array>

#include "app/LevelSettingLogic.h"
#include "util/Signal.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace gw {

class Lamp;

class FrmLevelSetting : public QDialog {
public:
    FrmLevelSetting(QWidget* parent, Host& host, ParameterImage& image, const ClsLingue* lingue,
                    const std::string& configScalePath, const std::string& appTitle);
    ~FrmLevelSetting() override;

    // Shows the window, loaded afresh (the sensor type may have changed meanwhile).
    void Open();
    LevelSettingLogic& Logic() { return logic_; }
    void Sync();

    QGroupBox* FrmLevel;
    std::array<QScrollBar*, LevelSettingLogic::kRows> HScrLevel{};
    std::array<QLineEdit*, LevelSettingLogic::kRows> TxtLevel{};
    std::array<Lamp*, LevelSettingLogic::kRows> ShpLevAct{};
    std::array<QLabel*, LevelSettingLogic::kRows> LblMisura{};
    std::array<QLabel*, LevelSettingLogic::kRows> LblLevel{};
    QLabel *LblSensVal, *LblSensVolt, *LblGasLevel;
    QPushButton *CmdDefaultLevel, *CmdBack;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    LevelSettingLogic logic_;
    Connection changed_;  // the window follows its logic's state
};

}  // namespace gw
