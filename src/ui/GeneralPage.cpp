#include "ui/GeneralPage.h"

#include "app/Colours.h"

#include "app/DictionaryEntries.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "link/ComCycle.h"
#include "ui/QtText.h"

namespace gw {

namespace {
}

GeneralPage::GeneralPage(QWidget* parent) : QWidget(parent) {
    setObjectName("General");
    auto* top = new QHBoxLayout(this);

    // ---- engine values ----
    FrmPar = new QGroupBox(this);
    FrmPar->setObjectName("FrmPar");
    auto* g = new QGridLayout(FrmPar);
    int row = 0;
    auto addRow = [&](QLabel*& lbl, const char* lblName, QLabel*& box, const char* boxName, const char* init,
                      QLabel* unit = nullptr) {
        lbl = MakeLabel({}, lblName, FrmPar);
        box = MakeValueBox(init, boxName, FrmPar);
        g->addWidget(lbl, row, 0);
        g->addWidget(box, row, 1);
        if (unit) g->addWidget(unit, row, 2);
        ++row;
    };
    addRow(LblParRpm, "LblParRpm", TxtRpm0, "TxtRpm0", "0000");
    addRow(LblInjTPetrol, "LblInjTPetrol", TxtInjTimePet0, "TxtInjTimePet0", "00,00", new QLabel("ms", FrmPar));
    addRow(LblInjTGas, "LblInjTGas", TxtInjTimeGas0, "TxtInjTimeGas0", "00,00", new QLabel("ms", FrmPar));
    LblInjCmb = MakeLabel({}, "LblInjCmb", FrmPar);
    CmbInj = new QComboBox(FrmPar);
    CmbInj->setObjectName("CmbInj");
    g->addWidget(LblInjCmb, row, 0);
    g->addWidget(CmbInj, row, 1);
    ++row;
    LblParLambdaMv = MakeLabel({}, "LblParLambdaMv", FrmPar);
    addRow(LblParLambda, "LblParLambda", TxtLambda0, "TxtLambda0", "0,000", LblParLambdaMv);
    LblLambdaLean = MakeLabel("Lean", "LblLambdaLean", FrmPar);
    LblLambdaRich = MakeLabel("Rich", "LblLambdaRich", FrmPar);
    BarLambda = new UCtrlBar(FrmPar);
    BarLambda->setObjectName("BarLambda");
    BarLambda->setFixedHeight(14);
    g->addWidget(LblLambdaLean, row, 0, Qt::AlignRight);
    g->addWidget(BarLambda, row, 1);
    g->addWidget(LblLambdaRich, row, 2);
    ++row;
    LblParBar = MakeLabel({}, "LblParBar", FrmPar);
    addRow(LblParPressure, "LblParPressure", TxtPressure0, "TxtPressure0", "0,000", LblParBar);
    LblParGradi[0] = MakeLabel({}, "LblParGradi0", FrmPar);
    LblParGradi[1] = MakeLabel({}, "LblParGradi1", FrmPar);
    addRow(LblParTmpVap, "LblParTmpVap", TxtTmpVap0, "TxtTmpVap0", "0", LblParGradi[0]);
    addRow(LblParTmpGas, "LblParTmpGas", TxtTmpGas0, "TxtTmpGas0", "0", LblParGradi[1]);
    addRow(LblSupVoltage, "LblSupVoltage", TxtSupply, "TxtSupply", "0,0");
    LblGasLevel = MakeLabel("Level", "LblGasLevel", FrmPar);
    auto* lamps = new QHBoxLayout;
    for (int i = 0; i < 4; ++i) {
        ShpGasLev[static_cast<size_t>(i)] = new Lamp(QString("ShpGasLev%1").arg(i), FrmPar);
        lamps->addWidget(ShpGasLev[static_cast<size_t>(i)]);
    }
    lamps->addStretch();
    g->addWidget(LblGasLevel, row, 0);
    g->addLayout(lamps, row, 1, 1, 2);
    ++row;
    ImgLogo = new PictureBox("ImgLogo", FrmPar);
    ImgLogo->setMinimumHeight(72);
    ImgLogo->setMaximumHeight(140);
    ImgLogo->setCursor(Qt::PointingHandCursor);
    g->addWidget(ImgLogo, row, 0, 1, 3);
    g->setRowStretch(row + 1, 1);
    g->setColumnStretch(1, 1);
    top->addWidget(FrmPar, 2);

    // ---- injectors ----
    FrmInj = new QGroupBox(this);
    FrmInj->setObjectName("FrmInj");
    auto* v = new QVBoxLayout(FrmInj);
    auto* bars = new QGridLayout;
    LblLegendPet = new QLabel("Petrol", FrmInj);
    LblLegendGas = new QLabel("Gas", FrmInj);
    LblLegendPet->setObjectName("LblLegendPet");
    LblLegendGas->setObjectName("LblLegendGas");
    bars->addWidget(LblLegendPet, 0, 1);
    bars->addWidget(LblLegendGas, 0, 2);
    LblBarScale = new QLabel("0 ... 21 ms", FrmInj);
    LblBarScale->setObjectName("LblBarScale");
    LblBarScale->setAlignment(Qt::AlignRight);
    bars->addWidget(LblBarScale, 0, 2, Qt::AlignRight);
    for (int i = 0; i < kCylinders; ++i) {
        const auto k = static_cast<size_t>(i);
        LblInj[k] = MakeLabel(QString("INJ %1").arg(i + 1), QString("LblInj%1").arg(i), FrmInj);
        LblInj[k]->setAutoFillBackground(true);
        LblInj[k]->setFrameStyle(QFrame::NoFrame);
        LblInj[k]->setMargin(2);
        InjPetBar[k] = new UCtrlBar(FrmInj);
        InjPetBar[k]->setObjectName(QString("InjPetBar%1").arg(i));
        InjPetBar[k]->Configura(21, 0, 1, kColButtonFace, kColBlack, 0);
        InjGasBar[k] = new UCtrlBar(FrmInj);
        InjGasBar[k]->setObjectName(QString("InjGasBar%1").arg(i));
        InjGasBar[k]->Configura(21, 0, 1, kColButtonFace, kColCyan, 0);
        bars->addWidget(LblInj[k], i + 1, 0);
        bars->addWidget(InjPetBar[k], i + 1, 1);
        bars->addWidget(InjGasBar[k], i + 1, 2);
    }
    bars->setColumnStretch(1, 1);
    bars->setColumnStretch(2, 1);
    v->addLayout(bars);
    v->addStretch();
    auto* lights = new QHBoxLayout;
    CkbKey = new Light("KEY", "CkbKey", FrmInj);
    CkbeV_01 = new Light("EV 1", "CkbeV_01", FrmInj);
    CkbeV_02 = new Light("EV 2", "CkbeV_02", FrmInj);
    CkbStatoAlim = new Light("BNZ", "CkbStatoAlim", FrmInj);
    CkbStatoEcu = new Light("SLV", "CkbStatoEcu", FrmInj);
    for (Light* l : {CkbKey, CkbeV_01, CkbeV_02, CkbStatoAlim, CkbStatoEcu}) lights->addWidget(l);
    lights->addStretch();
    CmdErrInj = new QPushButton("Errori", FrmInj);
    CmdErrInj->setObjectName("CmdErrInj");
    CmdView = new QPushButton("View", FrmInj);
    CmdView->setObjectName("CmdView");
    lights->addWidget(CmdErrInj);
    lights->addWidget(CmdView);
    v->addLayout(lights);
    top->addWidget(FrmInj, 3);

    IstanzaInj(kCylinders);
    SetServiceMode(false);
    setTabOrder(CmbInj, CmdErrInj);
    setTabOrder(CmdErrInj, CmdView);
}

void GeneralPage::ApplyCaptions(const MainCaptions& c) {
    LblInjTPetrol->setText(ToQ(c.Caption(13, "Petrol")));
    LblInjTGas->setText(ToQ(c.Caption(14, "Gas")));
    LblInjCmb->setText(ToQ(c.Caption(15, "Injector")));
    LblParRpm->setText(ToQ(c.Caption(16, "R.P.M.")));
    LblParTmpVap->setText(ToQ(c.Caption(18, "Reducer temp.")));
    LblParTmpGas->setText(ToQ(c.Caption(19, "Gas temp.")));
    const QString unit = ToQ(c.Caption(20, "\xC2\xB0" "C"));
    LblParGradi[0]->setText(unit);
    LblParGradi[1]->setText(unit);
    LblParPressure->setText(ToQ(c.Caption(21, "Pressure")));
    LblParBar->setText(ToQ(c.Caption(22, "Bar")));
    LblParLambda->setText(ToQ(c.Caption(23, "Lambda")));
    LblParLambdaMv->setText(ToQ(c.Caption(24, "V")));
    LblSupVoltage->setText(ToQ(c.Caption(25, "Supply (V)")));
    CmdErrInj->setText(ToQ(c.AfterErrors(1, "Errori")));
    CkbeV_01->setToolTip(ToQ(c.AfterErrors(2, "Solenoid valve 1")));
    CkbeV_02->setToolTip(ToQ(c.AfterErrors(3, "Solenoid valve 2")));
    CkbKey->setToolTip(ToQ(c.AfterErrors(4, "Ignition key")));
    CkbStatoAlim->setToolTip(ToQ(c.AfterErrors(5, "Fuel in use")));
    CkbStatoEcu->setToolTip(ToQ(c.AfterErrors(6, "ECU mode")));
}

void GeneralPage::ApplyOwnTexts(const std::vector<std::string>& t) {
    auto text = [&t](int entry) { return ToQ(t.at(static_cast<size_t>(entry - 1))); };
    LblGasLevel->setText(text(kMainLblGasLevel));
    LblLegendPet->setText(text(kMainLegendPetrol));
    LblLegendGas->setText(text(kMainLegendGas));
    LblBarScale->setText(text(kMainBarScale));
    LblLambdaLean->setText(text(kMainLambdaLean));
    LblLambdaRich->setText(text(kMainLambdaRich));
    CmdView->setText(text(kMainCmdView));
}

void GeneralPage::IstanzaInj(int cylinders) {
    for (int i = 0; i < kCylinders; ++i) {
        const auto k = static_cast<size_t>(i);
        const bool on = i < cylinders;
        InjGasBar[k]->setVisible(on);
        InjPetBar[k]->setVisible(on);
        LblInj[k]->setVisible(on);
    }
    CmbInj->clear();
    CmbInj->addItem("Inj_##");
    for (int k = 1; k <= cylinders && k <= kCylinders; ++k) CmbInj->addItem(QString("Inj_%1").arg(k));
    CmbInj->setCurrentIndex(0);
}

void GeneralPage::SetServiceMode(bool on) {
    CkbStatoEcu->setVisible(on);
    CkbStatoAlim->setVisible(on);
}

}  // namespace gw
