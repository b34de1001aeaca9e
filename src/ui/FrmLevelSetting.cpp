#include "ui/FrmLevelSetting.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "ui/SyncWidgets.h"
#include "ui/Widgets.h"

namespace gw {

FrmLevelSetting::FrmLevelSetting(QWidget* parent, Host& host, ParameterImage& image, const ClsLingue* lingue,
                                 const std::string& configScalePath, const std::string& appTitle)
    : QDialog(parent), logic_(host, image, lingue, configScalePath, appTitle) {
    setObjectName("FrmLevelSetting");
    setWindowTitle("Level");
    setModal(false);
    auto* outer = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    outer->addLayout(top);
    LblGasLevel = new QLabel("Gas level", this);
    LblGasLevel->setObjectName("LblGasLevel");
    LblSensVal = MakeValueBox("0", "LblSensVal", this);
    LblSensVal->setMinimumWidth(60);
    LblSensVolt = new QLabel("V", this);
    LblSensVolt->setObjectName("LblSensVolt");
    top->addWidget(LblGasLevel);
    top->addStretch(1);
    top->addWidget(LblSensVal);
    top->addWidget(LblSensVolt);

    FrmLevel = new QGroupBox(this);
    FrmLevel->setObjectName("FrmLevel");
    outer->addWidget(FrmLevel);
    auto* g = new QGridLayout(FrmLevel);
    for (int i = 0; i < LevelSettingLogic::kRows; ++i) {
        const size_t k = static_cast<size_t>(i);
        const QString n = QString("(%1)").arg(i);
        LblLevel[k] = new QLabel(FrmLevel);
        LblLevel[k]->setObjectName("LblLevel" + n);
        ShpLevAct[k] = new Lamp("ShpLevAct" + n, FrmLevel);
        HScrLevel[k] = new QScrollBar(Qt::Horizontal, FrmLevel);
        HScrLevel[k]->setObjectName("HScrLevel" + n);
        HScrLevel[k]->setSingleStep(LevelSettingLogic::kScrollSmallStep);
        HScrLevel[k]->setPageStep(LevelSettingLogic::kScrollLargeStep);
        HScrLevel[k]->setMinimumWidth(200);
        TxtLevel[k] = new QLineEdit(FrmLevel);
        TxtLevel[k]->setObjectName("TxtLevel" + n);
        TxtLevel[k]->setReadOnly(true);
        TxtLevel[k]->setAlignment(Qt::AlignRight);
        TxtLevel[k]->setFixedWidth(56);
        LblMisura[k] = new QLabel(FrmLevel);
        LblMisura[k]->setObjectName("LblMisura" + n);
        const int line = LevelSettingLogic::kRows - 1 - i;  // the full row on top
        g->addWidget(LblLevel[k], line, 0);
        g->addWidget(ShpLevAct[k], line, 1);
        g->addWidget(HScrLevel[k], line, 2);
        g->addWidget(TxtLevel[k], line, 3);
        g->addWidget(LblMisura[k], line, 4);
        connect(HScrLevel[k], &QScrollBar::valueChanged, this, [this, i](int v) {
            logic_.OnScroll(i, v);
            Sync();
        });
    }
    g->setColumnStretch(2, 1);
    auto* buttons = new QHBoxLayout;
    outer->addLayout(buttons);
    CmdDefaultLevel = new QPushButton("Default", this);
    CmdDefaultLevel->setObjectName("CmdDefaultLevel");
    CmdDefaultLevel->setAutoDefault(false);
    CmdBack = new QPushButton(this);  // no action of its own
    CmdBack->setObjectName("CmdBack");
    CmdBack->setAutoDefault(false);
    CmdBack->hide();
    buttons->addStretch(1);
    buttons->addWidget(CmdDefaultLevel);
    connect(CmdDefaultLevel, &QPushButton::clicked, this, [this] {
        logic_.OnDefault();
        Sync();
    });
    changed_ = logic_.StateChanged.Connect([this] { Sync(); });
}

FrmLevelSetting::~FrmLevelSetting() {
    logic_.Stop();
}

void FrmLevelSetting::Open() {
    logic_.Load();
    Sync();
    logic_.Start();
    show();
    raise();
    activateWindow();
}

void FrmLevelSetting::Sync() {
    const LevelTexts& t = logic_.Texts();
    sync::Title(this, t.caption);
    sync::Text(LblGasLevel, t.lblGasLevel);
    sync::Text(CmdDefaultLevel, t.cmdDefault);
    sync::Text(LblSensVolt, t.lblSensVolt);
    sync::Text(LblSensVal, logic_.SensorVoltsText());
    const auto& rows = logic_.Rows();
    for (size_t k = 0; k < rows.size(); ++k) {
        if (HScrLevel[k]->maximum() != logic_.ScrollMax()) {
            const QSignalBlocker block(HScrLevel[k]);
            HScrLevel[k]->setRange(LevelSettingLogic::kScrollMin, logic_.ScrollMax());
        }
        sync::Value(HScrLevel[k], rows[k].value);
        sync::Text(TxtLevel[k], rows[k].voltsText);
        sync::Text(LblMisura[k], rows[k].unit);
        sync::Text(LblLevel[k], rows[k].caption);
        ShpLevAct[k]->SetOn(rows[k].lit);
    }
    const int focus = logic_.TakeFocusRow();
    if (focus >= 0 && focus < LevelSettingLogic::kRows) TxtLevel[static_cast<size_t>(focus)]->setFocus();
}

void FrmLevelSetting::keyPressEvent(QKeyEvent* e) {
    logic_.OnKey(e->key() == Qt::Key_Escape ? LevelSettingLogic::kKeyEscape : 0);
    e->accept();
    if (logic_.CloseRequested()) close();
}

void FrmLevelSetting::hideEvent(QHideEvent* e) {
    logic_.Stop();
    QDialog::hideEvent(e);
}

}  // namespace gw
