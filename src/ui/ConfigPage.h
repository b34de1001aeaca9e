// The Configuration page (tab 4): switch-over to gas, options, cylinders and coils,
// injector type and gas level sensor, each setting a drop-down list, with the buttons that
// open the side windows. It lays the controls out and takes its captions; filling the
// lists and writing the choices into the parameter image belong to the page's presenter.
#pragma once

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <array>

#include "app/MainCaptions.h"

namespace gw {

class ConfigPage : public QWidget {
public:
    explicit ConfigPage(QWidget* parent = nullptr);

    void ApplyCaptions(const MainCaptions& c);
    void SetServiceMode(bool on);

    QGroupBox* FrmSwitch;
    QLabel* LblSwtchRpm;
    QComboBox* CmbSwtchRpm;
    QLabel* LblSwtchTemp;
    QComboBox* CmbSwtchTemp;
    QLabel* LblSwtchDelay;
    QComboBox* CmbSwtchDelay;
    QLabel* LblSwtchForce;
    QComboBox* CmbSwtchForce;
    QLabel* LblSwtchSeq;
    QComboBox* CmbSwtchSeq;

    QGroupBox* FrmOption;
    QLabel* LblTypFuel;
    std::array<QRadioButton*, 2> OptTypFuel{};
    QLabel* LblEmptyGas;
    QComboBox* CmbEmptyGas;
    QLabel* LblSwtchPres;
    QComboBox* CmbSwtchBar;
    QLabel* LblSwtchPressDelay;
    QComboBox* CmbSwtchDelayPress;
    QLabel* LblSwtchLdb;
    QComboBox* CmbSwtchLambdaType;
    QPushButton* CmdReserVar;
    QPushButton* CmdExpert0;

    QGroupBox* FrmRPM;
    QLabel* LblSwtchCilindri;
    QComboBox* CmbSwtchCilindri;
    QLabel* LblSwtchBobine;
    QComboBox* CmbSwtchBobine;

    QGroupBox* FrmTyp;
    QLabel* LblTypInj;
    QComboBox* CmbTpyInj;
    QPushButton* CmdTpyInj;

    QGroupBox* FrmSensor;
    QLabel* LblTypGLS;
    QComboBox* CmbTpyGLS;
    QPushButton* CmdTpyGLS;
};

}  // namespace gw
