#include "ui/ConfigPage.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ui/QtText.h"
#include "ui/Widgets.h"

namespace gw {

namespace {

QComboBox* Combo(const char* name, QWidget* parent) {
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    c->setMinimumWidth(110);
    c->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return c;
}

QGroupBox* Frame(const char* name, QWidget* parent) {
    auto* g = new QGroupBox(parent);
    g->setObjectName(name);
    return g;
}

}  // namespace

ConfigPage::ConfigPage(QWidget* parent) : QWidget(parent) {
    setObjectName("Configuration");
    auto* grid = new QGridLayout(this);

    FrmSwitch = Frame("FrmSwitch", this);
    auto* fs = new QFormLayout(FrmSwitch);
    LblSwtchRpm = MakeLabel({}, "LblSwtchRpm", FrmSwitch);
    CmbSwtchRpm = Combo("CmbSwtchRpm", FrmSwitch);
    LblSwtchTemp = MakeLabel({}, "LblSwtchTemp", FrmSwitch);
    CmbSwtchTemp = Combo("CmbSwtchTemp", FrmSwitch);
    LblSwtchDelay = MakeLabel({}, "LblSwtchDelay", FrmSwitch);
    CmbSwtchDelay = Combo("CmbSwtchDelay", FrmSwitch);
    LblSwtchForce = MakeLabel({}, "LblSwtchForce", FrmSwitch);
    CmbSwtchForce = Combo("CmbSwtchForce", FrmSwitch);
    LblSwtchSeq = MakeLabel({}, "LblSwtchSeq", FrmSwitch);
    CmbSwtchSeq = Combo("CmbSwtchSeq", FrmSwitch);
    fs->addRow(LblSwtchRpm, CmbSwtchRpm);
    fs->addRow(LblSwtchTemp, CmbSwtchTemp);
    fs->addRow(LblSwtchDelay, CmbSwtchDelay);
    fs->addRow(LblSwtchForce, CmbSwtchForce);
    fs->addRow(LblSwtchSeq, CmbSwtchSeq);

    FrmOption = Frame("FrmOption", this);
    auto* fo = new QFormLayout(FrmOption);
    LblTypFuel = MakeLabel({}, "LblTypFuel", FrmOption);
    auto* fuel = new QHBoxLayout;
    auto* fuelGroup = new QButtonGroup(FrmOption);
    for (int i = 0; i < 2; ++i) {
        OptTypFuel[static_cast<size_t>(i)] = new QRadioButton(FrmOption);
        OptTypFuel[static_cast<size_t>(i)]->setObjectName(QString("OptTypFuel%1").arg(i));
        fuelGroup->addButton(OptTypFuel[static_cast<size_t>(i)], i);
        fuel->addWidget(OptTypFuel[static_cast<size_t>(i)]);
    }
    fuel->addStretch();
    LblEmptyGas = MakeLabel({}, "LblEmptyGas", FrmOption);
    CmbEmptyGas = Combo("CmbEmptyGas", FrmOption);
    LblSwtchPres = MakeLabel({}, "LblSwtchPres", FrmOption);
    CmbSwtchBar = Combo("CmbSwtchBar", FrmOption);
    LblSwtchPressDelay = MakeLabel({}, "LblSwtchPressDelay", FrmOption);
    CmbSwtchDelayPress = Combo("CmbSwtchDelayPress", FrmOption);
    LblSwtchLdb = MakeLabel({}, "LblSwtchLdb", FrmOption);
    CmbSwtchLambdaType = Combo("CmbSwtchLambdaType", FrmOption);
    CmdReserVar = new QPushButton(FrmOption);
    CmdReserVar->setObjectName("CmdReserVar");
    CmdExpert0 = new QPushButton("Expert", FrmOption);
    CmdExpert0->setObjectName("CmdExpert0");
    fo->addRow(LblTypFuel, fuel);
    fo->addRow(LblEmptyGas, CmbEmptyGas);
    fo->addRow(LblSwtchPres, CmbSwtchBar);
    fo->addRow(LblSwtchPressDelay, CmbSwtchDelayPress);
    fo->addRow(LblSwtchLdb, CmbSwtchLambdaType);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CmdReserVar);
    buttons->addWidget(CmdExpert0);
    buttons->addStretch();
    fo->addRow(buttons);

    FrmRPM = Frame("FrmRPM", this);
    auto* fr = new QFormLayout(FrmRPM);
    LblSwtchCilindri = MakeLabel({}, "LblSwtchCilindri", FrmRPM);
    CmbSwtchCilindri = Combo("CmbSwtchCilindri", FrmRPM);
    LblSwtchBobine = MakeLabel({}, "LblSwtchBobine", FrmRPM);
    CmbSwtchBobine = Combo("CmbSwtchBobine", FrmRPM);
    // Short numbers: narrow lists leave the room to the other frames at the minimum size.
    CmbSwtchCilindri->setMinimumWidth(64);
    CmbSwtchBobine->setMinimumWidth(64);
    fr->addRow(LblSwtchCilindri, CmbSwtchCilindri);
    fr->addRow(LblSwtchBobine, CmbSwtchBobine);

    FrmTyp = Frame("FrmTyp", this);
    auto* ft = new QFormLayout(FrmTyp);
    LblTypInj = MakeLabel({}, "LblTypInj", FrmTyp);
    CmbTpyInj = Combo("CmbTpyInj", FrmTyp);
    CmdTpyInj = new QPushButton(FrmTyp);
    CmdTpyInj->setObjectName("CmdTpyInj");
    ft->addRow(LblTypInj, CmbTpyInj);
    ft->addRow(QString(), CmdTpyInj);

    FrmSensor = Frame("FrmSensor", this);
    auto* fl = new QFormLayout(FrmSensor);
    LblTypGLS = MakeLabel({}, "LblTypGLS", FrmSensor);
    CmbTpyGLS = Combo("CmbTpyGLS", FrmSensor);
    CmdTpyGLS = new QPushButton(FrmSensor);
    CmdTpyGLS->setObjectName("CmdTpyGLS");
    fl->addRow(LblTypGLS, CmbTpyGLS);
    fl->addRow(QString(), CmdTpyGLS);

    grid->addWidget(FrmSwitch, 0, 0);
    grid->addWidget(FrmOption, 0, 1);
    grid->addWidget(FrmRPM, 0, 2);
    grid->addWidget(FrmTyp, 1, 0);
    grid->addWidget(FrmSensor, 1, 1);
    grid->setRowStretch(2, 1);
    // The R.P.M. frame holds two short lists: the room goes to the two wider frames.
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);

    // Tab order: down each frame, the frames left to right.
    QWidget* order[] = {CmbSwtchRpm, CmbSwtchTemp, CmbSwtchDelay, CmbSwtchForce, CmbSwtchSeq,
                        OptTypFuel[0], OptTypFuel[1], CmbEmptyGas, CmbSwtchBar, CmbSwtchDelayPress,
                        CmbSwtchLambdaType, CmdReserVar, CmdExpert0, CmbSwtchCilindri, CmbSwtchBobine,
                        CmbTpyInj, CmdTpyInj, CmbTpyGLS, CmdTpyGLS};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
    // At the window's minimum size a long caption (or a longer language) goes on two
    // lines instead of being cut.
    for (QLabel* l : findChildren<QLabel*>()) l->setWordWrap(true);
    SetServiceMode(false);
}

void ConfigPage::ApplyCaptions(const MainCaptions& c) {
    FrmSwitch->setTitle(ToQ(c.AfterErrors(7, "Switching to gas")));
    const QString rpm = ToQ(c.AfterErrors(8, "R.P.M."));
    LblSwtchRpm->setText(rpm);
    FrmRPM->setTitle(rpm);
    LblSwtchTemp->setText(ToQ(c.AfterErrors(9, "Temperature (\xC2\xB0" "c)")));
    LblSwtchDelay->setText(ToQ(c.AfterErrors(10, "Temper.delay (s)")));
    LblSwtchForce->setText(ToQ(c.AfterErrors(11, "Force Swicth (s)")));
    LblSwtchSeq->setText(ToQ(c.AfterErrors(12, "Sequence delay (ms)")));
    FrmTyp->setTitle(ToQ(c.AfterErrors(13, "Injectors")));
    LblTypFuel->setText(ToQ(c.AfterErrors(14, "Fuel")));
    OptTypFuel[0]->setText(ToQ(c.AfterErrors(15, "Lpg")));
    OptTypFuel[1]->setText(ToQ(c.AfterErrors(16, "Cng")));
    LblSwtchCilindri->setText(ToQ(c.AfterErrors(17, "Num. Cylinder")));
    LblSwtchBobine->setText(ToQ(c.AfterErrors(18, "Coil")));
    FrmSensor->setTitle(ToQ(c.AfterErrors(19, "Sensor level")));
    LblTypGLS->setText(ToQ(c.AfterErrors(20, "Gas level sensor")));
    LblTypInj->setText(ToQ(c.AfterErrors(20, "Name")));
    LblEmptyGas->setText(ToQ(c.AfterErrors(21, "Empty Gas")));
    LblSwtchPres->setText(ToQ(c.AfterErrors(22, "Pressure (Bar)")));
    LblSwtchPressDelay->setText(ToQ(c.AfterErrors(23, "Delay (s)")));
    CmdTpyGLS->setText(ToQ(c.AfterErrors(24, "Set Level")));
    CmdTpyInj->setText(ToQ(c.AfterErrors(25, "Setting")));
    FrmOption->setTitle(ToQ(c.AfterErrors(26, "Option")));
    LblSwtchLdb->setText(ToQ(c.AfterErrors(27, "Lambda sensor")));
    CmdReserVar->setText(ToQ(c.AfterErrors(28, "Reset All")));
}

void ConfigPage::SetServiceMode(bool on) { CmdExpert0->setVisible(on); }

}  // namespace gw
