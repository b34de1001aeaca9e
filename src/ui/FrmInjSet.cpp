#include "ui/FrmInjSet.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QVBoxLayout>

#include "ui/SyncWidgets.h"

namespace gw {

namespace {
QLineEdit* TimeBox(const QString& name, QWidget* parent) {
    auto* t = new QLineEdit(parent);
    t->setObjectName(name);
    t->setReadOnly(true);
    t->setAlignment(Qt::AlignRight);
    t->setFixedWidth(64);
    return t;
}
}  // namespace

FrmInjSet::FrmInjSet(QWidget* parent, Host& host, ParameterImage& image, const ClsLingue* lingue)
    : QDialog(parent), logic_(host, image, lingue) {
    setObjectName("FrmInjSet");
    setWindowTitle("Injector");
    setModal(false);
    auto* outer = new QVBoxLayout(this);
    FrmInj = new QGroupBox(this);
    FrmInj->setObjectName("FrmInj");
    outer->addWidget(FrmInj);
    auto* g = new QGridLayout(FrmInj);
    LblInjNum = new QLabel("Injector", FrmInj);
    LblInjSet = new QLabel("Mode", FrmInj);
    LblTimePetrol = new QLabel("Pet (ms)", FrmInj);
    LblTime = new QLabel("Gas (ms)", FrmInj);
    LblEnricht = new QLabel("OffSet", FrmInj);
    const std::array<QLabel*, 5> heads{LblInjNum, LblInjSet, LblTimePetrol, LblTime, LblEnricht};
    const char* headNames[5] = {"LblInjNum", "LblInjSet", "LblTimePetrol", "LblTime", "LblEnricht"};
    for (int c = 0; c < 5; ++c) {
        heads[static_cast<size_t>(c)]->setObjectName(headNames[c]);
        g->addWidget(heads[static_cast<size_t>(c)], 0, c, Qt::AlignCenter);
    }
    for (int i = 0; i < kInjectors; ++i) {
        Row& r = rows[static_cast<size_t>(i)];
        const QString n = QString("(%1)").arg(i);
        r.LblInj = new QLabel(FrmInj);
        r.LblInj->setObjectName("LblInj" + n);
        r.CmbSelect = new QComboBox(FrmInj);
        r.CmbSelect->setObjectName("CmbSelect" + n);
        r.CmbSelect->setMinimumWidth(90);
        r.TxtInjFuelPetrol = TimeBox("TxtInjFuelPetrol" + n, FrmInj);
        r.TxtInjFuelGas = TimeBox("TxtInjFuelGas" + n, FrmInj);
        r.TxtInjGas = TimeBox("TxtInjGas" + n, FrmInj);
        r.HScrTime = new QScrollBar(Qt::Horizontal, FrmInj);
        r.HScrTime->setObjectName("HScrTime" + n);
        r.HScrTime->setRange(InjSetLogic::kScrollMin, InjSetLogic::kScrollMax);
        r.HScrTime->setSingleStep(InjSetLogic::kScrollSmallStep);
        r.HScrTime->setPageStep(InjSetLogic::kScrollLargeStep);
        r.HScrTime->setMinimumWidth(140);
        r.CmdDefaultTime = new QPushButton("X", FrmInj);
        r.CmdDefaultTime->setObjectName("CmdDefaultTime" + n);
        r.CmdDefaultTime->setFixedWidth(28);
        QWidget* cells[7] = {r.LblInj, r.CmbSelect, r.TxtInjFuelPetrol, r.TxtInjFuelGas,
                             r.TxtInjGas, r.HScrTime, r.CmdDefaultTime};
        for (int c = 0; c < 7; ++c) g->addWidget(cells[c], i + 1, c);
        r.CmbSelect->installEventFilter(this);
        connect(r.CmbSelect, qOverload<int>(&QComboBox::activated), this, [this, i](int index) {
            logic_.OnModeSelected(i, index);
            Sync();
        });
        connect(r.HScrTime, &QScrollBar::valueChanged, this, [this, i](int v) {
            logic_.OnOffsetScroll(i, v);
            Sync();
        });
        connect(r.CmdDefaultTime, &QPushButton::clicked, this, [this, i] {
            logic_.OnRecentre(i);
            Sync();
        });
    }
    auto* sens = new QGridLayout;
    outer->addLayout(sens);
    for (int k = 0; k < 3; ++k) {
        LblBadBit[static_cast<size_t>(k)] = new QLabel(this);
        LblBadBit[static_cast<size_t>(k)]->setObjectName(QString("LblBadBit(%1)").arg(k));
    }
    LblBadBit[0]->setText(" Sensibility");
    SldBadBit = new QSlider(Qt::Horizontal, this);
    SldBadBit->setObjectName("SldBadBit");
    SldBadBit->setRange(InjSetLogic::kSensitivityMin, InjSetLogic::kSensitivityMax);
    SldBadBit->setTickPosition(QSlider::TicksBelow);
    sens->addWidget(LblBadBit[0], 0, 0);
    sens->addWidget(SldBadBit, 0, 1);
    sens->addWidget(LblBadBit[2], 0, 2);
    sens->addWidget(LblBadBit[1], 0, 3);
    sens->setColumnStretch(1, 1);
    connect(SldBadBit, &QSlider::valueChanged, this, [this](int v) {
        logic_.OnSensitivity(v);
        Sync();
    });
    changed_ = logic_.StateChanged.Connect([this] { Sync(); });
}

FrmInjSet::~FrmInjSet() {
    logic_.Stop();
}

void FrmInjSet::Open(std::function<InjLiveTimes()> liveTimes) {
    // Unloaded on close: every opening loads afresh (rows for the cylinders in use now,
    // texts of the current language, the injector type's caption, no mode request left).
    logic_.Load();
    loaded_ = true;
    logic_.Start(std::move(liveTimes));
    Sync();
    show();
    raise();
    activateWindow();
}

void FrmInjSet::Sync() {
    const InjSetTexts& t = logic_.Texts();
    sync::Title(this, t.caption);
    sync::Text(LblInjNum, t.lblInjNum);
    sync::Text(LblTimePetrol, t.lblTimePetrol);
    sync::Text(LblTime, t.lblTime);
    sync::Text(LblEnricht, t.lblEnricht);
    sync::Text(LblInjSet, t.lblInjSet);
    sync::Text(LblBadBit[0], t.badBit[0]);
    sync::Text(LblBadBit[1], t.badBit[1]);
    sync::Text(LblBadBit[2], logic_.SensitivityText());
    sync::Value(SldBadBit, logic_.SliderValue());
    const auto& data = logic_.Rows();
    for (size_t i = 0; i < rows.size(); ++i) {
        Row& r = rows[i];
        const bool shown = i < data.size();
        for (QWidget* w : {static_cast<QWidget*>(r.LblInj), static_cast<QWidget*>(r.CmbSelect),
                           static_cast<QWidget*>(r.TxtInjFuelPetrol), static_cast<QWidget*>(r.TxtInjFuelGas),
                           static_cast<QWidget*>(r.TxtInjGas), static_cast<QWidget*>(r.HScrTime),
                           static_cast<QWidget*>(r.CmdDefaultTime)})
            if (w->isHidden() == shown) w->setVisible(shown);
        if (!shown) continue;
        const InjSetRow& d = data[i];
        sync::Text(r.LblInj, d.label);
        sync::Items(r.CmbSelect, d.modes, d.modeIndex);
        sync::Text(r.TxtInjFuelPetrol, d.petrolText);
        sync::Text(r.TxtInjFuelGas, d.gasText);
        sync::Text(r.TxtInjGas, d.offsetText);
        sync::Value(r.HScrTime, d.scrollValue);
        sync::Text(r.CmdDefaultTime, t.recentre.empty() ? std::string("X") : t.recentre);
        const Qt::FocusPolicy p = logic_.ModeListMayTakeFocus() ? Qt::StrongFocus : Qt::NoFocus;
        if (r.CmbSelect->focusPolicy() != p) r.CmbSelect->setFocusPolicy(p);
    }
    if (logic_.TakeFocusToFirstGasBox() && !data.empty()) rows[0].TxtInjFuelGas->setFocus();
}

void FrmInjSet::keyPressEvent(QKeyEvent* e) { e->accept(); }  // keys do nothing here

bool FrmInjSet::eventFilter(QObject* obj, QEvent* e) {
    // While a mode request is pending the mode lists take neither the focus nor a click
    // (the wheel included): the focus goes to the first gas time box instead.
    const QEvent::Type t = e->type();
    const bool mouse = t == QEvent::MouseButtonPress || t == QEvent::MouseButtonDblClick ||
                       t == QEvent::MouseButtonRelease || t == QEvent::Wheel;
    if (mouse && !logic_.ModeListMayTakeFocus())
        for (const Row& r : rows)
            if (obj == r.CmbSelect) {
                if (t == QEvent::MouseButtonPress) rows[0].TxtInjFuelGas->setFocus();
                return true;
            }
    return QDialog::eventFilter(obj, e);
}

void FrmInjSet::changeEvent(QEvent* e) {
    QDialog::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow() && loaded_) {
        logic_.FillRows();
        Sync();
    }
}

void FrmInjSet::hideEvent(QHideEvent* e) {
    logic_.Stop();
    QDialog::hideEvent(e);
}

}  // namespace gw
