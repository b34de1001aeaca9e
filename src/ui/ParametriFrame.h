// The calibration-parameters frame (FrmParametri, "PARAMETRI") shown under the Calibration,
// Modeling and Map pages: the live values in one row of equal columns, the small logo and
// the link indicator, with its header bar. Layout and captions only.
#pragma once

#include <QFrame>
#include <QGroupBox>
#include <QLabel>

#include "app/MainCaptions.h"
#include "ui/Widgets.h"

namespace gw {

class ParametriFrame : public QGroupBox {
public:
    explicit ParametriFrame(QWidget* parent = nullptr);
    void ApplyCaptions(const MainCaptions& c);

    QLabel* LblCalRpm;
    QLabel* TxtRpm1;
    QLabel* LblCalVacuum;
    QLabel* TxtVacuum;
    QLabel* LblCalPres;
    QLabel* TxtPressure1;
    QLabel* LblCalInjTp;
    QLabel* TxtInjTimePet1;
    QLabel* LblCalInjTg;
    QLabel* TxtInjTimeGas1;
    QLabel* LblCalLambda;
    QLabel* TxtLambda1;
    QLabel* LblCalTempVap;
    QLabel* TxtTmpVap1;
    QLabel* LblCalTempGas;
    QLabel* TxtTmpGas1;
    PictureBox* ImgLogoS;
    Lamp* ShpCalComm;
};

}  // namespace gw
