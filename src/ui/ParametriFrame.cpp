#include "ui/ParametriFrame.h"

#include <QGridLayout>

#include "ui/QtText.h"

namespace gw {

ParametriFrame::ParametriFrame(QWidget* parent) : QGroupBox(parent) {
    setObjectName("FrmParametri");
    auto* g = new QGridLayout(this);
    int col = 0;
    auto column = [&](QLabel*& lbl, const char* lblName, QLabel*& box, const char* boxName, const char* init) {
        lbl = MakeLabel({}, lblName, this);
        lbl->setAlignment(Qt::AlignCenter);
        lbl->setWordWrap(true);  // on two lines rather than cut when the window is narrow
        box = MakeValueBox(init, boxName, this);
        g->addWidget(lbl, 0, col);
        g->addWidget(box, 1, col);
        g->setColumnStretch(col, 1);
        ++col;
    };
    // The eight value boxes in equal columns.
    column(LblCalRpm, "LblCalRpm", TxtRpm1, "TxtRpm1", "0000");
    column(LblCalVacuum, "LblCalVacuum", TxtVacuum, "TxtVacuum", "0,000");
    column(LblCalPres, "LblCalPres", TxtPressure1, "TxtPressure1", "0,000");
    column(LblCalInjTp, "LblCalInjTp", TxtInjTimePet1, "TxtInjTimePet1", "00,00");
    column(LblCalInjTg, "LblCalInjTg", TxtInjTimeGas1, "TxtInjTimeGas1", "00,00");
    column(LblCalLambda, "LblCalLambda", TxtLambda1, "TxtLambda1", "0,000");
    column(LblCalTempVap, "LblCalTempVap", TxtTmpVap1, "TxtTmpVap1", "0");
    column(LblCalTempGas, "LblCalTempGas", TxtTmpGas1, "TxtTmpGas1", "0");
    ImgLogoS = new PictureBox("ImgLogoS", this);
    ImgLogoS->setMinimumSize(64, 40);
    g->addWidget(ImgLogoS, 0, col, 2, 1);
    ShpCalComm = new Lamp("ShpCalComm", this);
    ShpCalComm->setToolTip("Link");
    g->addWidget(ShpCalComm, 0, col + 1, 2, 1, Qt::AlignCenter);
}

void ParametriFrame::ApplyCaptions(const MainCaptions& c) {
    setTitle(ToQ(c.Caption(17, "PARAMETRI")));
    LblCalRpm->setText("R.P.M.");
    LblCalVacuum->setText(ToQ(c.AfterErrors(47, "Vacuum (bar)")));
    LblCalInjTp->setText(ToQ(c.AfterErrors(48, "Petrol (ms)")));
    LblCalInjTg->setText(ToQ(c.AfterErrors(49, "Gas (ms)")));
    LblCalTempVap->setText(ToQ(c.AfterErrors(50, "Reducer (\xC2\xB0" "C)")));
    LblCalTempGas->setText(ToQ(c.AfterErrors(51, "Gas (\xC2\xB0" "C)")));
    LblCalPres->setText(ToQ(c.AfterErrors(52, "Pressure (bar)")));
    LblCalLambda->setText(ToQ(c.AfterErrors(53, "Lambda (V)")));
}

}  // namespace gw
