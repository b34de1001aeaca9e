// The General page (tab 3): engine values, lambda bar, gas level lamps and the logo on the
// left (FrmPar); the petrol and gas injector bars per cylinder, the state lights and the
// error and viewer buttons on the right (FrmInj). It lays the controls out and takes its
// captions; what the controls show is written by the display scheduler.
#pragma once

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <array>
#include <vector>

#include "app/MainCaptions.h"
#include "ui/UCtrlBar.h"
#include "ui/Widgets.h"

namespace gw {

class GeneralPage : public QWidget {
public:
    static constexpr int kCylinders = 8;
    explicit GeneralPage(QWidget* parent = nullptr);

    void ApplyCaptions(const MainCaptions& c);
    // The page's texts that no numbered entry captions (the "[FrmKD452]" block, in the
    // order of kMain... entries).
    void ApplyOwnTexts(const std::vector<std::string>& texts);
    // Cylinder columns 1 ... cylinders shown, the others hidden; CmbInj refilled.
    void IstanzaInj(int cylinders);
    // Controls shown only in service mode.
    void SetServiceMode(bool on);

    // FrmPar
    QGroupBox* FrmPar;
    QLabel* LblParRpm;
    QLabel* TxtRpm0;
    QLabel* LblInjTPetrol;
    QLabel* TxtInjTimePet0;
    QLabel* LblInjTGas;
    QLabel* TxtInjTimeGas0;
    QLabel* LblInjCmb;
    QComboBox* CmbInj;
    QLabel* LblParLambda;
    QLabel* TxtLambda0;
    QLabel* LblParLambdaMv;
    QLabel* LblLambdaLean;
    UCtrlBar* BarLambda;
    QLabel* LblLambdaRich;
    QLabel* LblParPressure;
    QLabel* TxtPressure0;
    QLabel* LblParBar;
    QLabel* LblParTmpVap;
    QLabel* TxtTmpVap0;
    QLabel* LblParTmpGas;
    QLabel* TxtTmpGas0;
    std::array<QLabel*, 2> LblParGradi{};
    QLabel* LblSupVoltage;
    QLabel* TxtSupply;
    QLabel* LblGasLevel;
    QLabel* LblLegendPet;
    QLabel* LblLegendGas;
    QLabel* LblBarScale;
    std::array<Lamp*, 4> ShpGasLev{};
    PictureBox* ImgLogo;

    // FrmInj
    QGroupBox* FrmInj;
    std::array<QLabel*, kCylinders> LblInj{};
    std::array<UCtrlBar*, kCylinders> InjPetBar{};
    std::array<UCtrlBar*, kCylinders> InjGasBar{};
    Light* CkbKey;
    Light* CkbeV_01;
    Light* CkbeV_02;
    Light* CkbStatoAlim;
    Light* CkbStatoEcu;
    QPushButton* CmdErrInj;
    QPushButton* CmdView;
};

}  // namespace gw
