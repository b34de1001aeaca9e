#include "ui/CalibrationPage.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QShortcut>
#include <QVBoxLayout>

#include "app/AppFolder.h"
#include "app/DisplayScheduler.h"
#include "model/ModelEditing.h"
#include "app/Workbench.h"
#include "sim/SimEcu.h"
#include "ui/FrmKD452.h"
#include "ui/ModelPage.h"
#include "ui/QtHost.h"
#include "ui/QtText.h"
#include "ui/SyncWidgets.h"

namespace gw {

namespace {

QColor FromBgr(std::uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

}  // namespace

CalibrationPage::CalibrationPage(QWidget* parent) : QWidget(parent) {
    setObjectName("CalibrationPage");
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(24, 16, 24, 16);
    LblCalStep = new QLabel(this);
    LblCalStep->setObjectName("LblCalStep");
    QFont big = LblCalStep->font();
    big.setPointSizeF(big.pointSizeF() * 1.8);
    big.setBold(true);
    LblCalStep->setFont(big);
    LblCalStep->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    v->addWidget(LblCalStep);
    LblCalMsg = new QLabel(this);
    LblCalMsg->setObjectName("LblCalMsg");
    LblCalMsg->setWordWrap(true);
    LblCalMsg->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    LblCalMsg->setMargin(12);
    QFont msg = LblCalMsg->font();
    msg.setPointSizeF(msg.pointSizeF() * 1.3);
    LblCalMsg->setFont(msg);
    LblCalMsg->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    LblCalMsg->setMinimumHeight(120);
    v->addWidget(LblCalMsg, 1);
    ShpCalTrack = new QFrame(this);
    ShpCalTrack->setObjectName("ShpCalTrack");
    ShpCalTrack->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    ShpCalTrack->setFixedHeight(22);
    ShpCalStep = new QFrame(ShpCalTrack);
    ShpCalStep->setObjectName("ShpCalStep");
    ShpCalStep->setAutoFillBackground(true);
    QPalette p = ShpCalStep->palette();
    p.setColor(QPalette::Window, QColor(0, 160, 60));
    ShpCalStep->setPalette(p);
    v->addWidget(ShpCalTrack);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    CmdCalStart = new QPushButton("Yes", this);
    CmdCalStart->setObjectName("CmdCalStart");
    CmdCalCancel = new QPushButton("Esc", this);
    CmdCalCancel->setObjectName("CmdCalCancel");
    for (QPushButton* b : {CmdCalStart, CmdCalCancel}) {
        b->setMinimumSize(120, 40);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    v->addLayout(buttons);
    // Keys of the window while the page is shown (wherever the focus went when a button
    // disabled itself): Enter or Y for "Yes", Escape for "Esc".
    for (const QKeySequence& k : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter), QKeySequence(Qt::Key_Y)}) {
        auto* s = new QShortcut(k, this, nullptr, nullptr, Qt::WindowShortcut);
        connect(s, &QShortcut::activated, CmdCalStart, [this] {
            if (CmdCalStart->isEnabled()) CmdCalStart->click();
        });
        shortcuts_.push_back(s);
    }
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this, nullptr, nullptr, Qt::WindowShortcut);
    connect(esc, &QShortcut::activated, CmdCalCancel, [this] {
        if (CmdCalCancel->isEnabled()) CmdCalCancel->click();
    });
    shortcuts_.push_back(esc);
    for (QShortcut* s : shortcuts_) s->setEnabled(false);
}

void CalibrationPage::SetBar(int width, bool visible) {
    barWidth_ = width;
    const int inner = std::max(0, ShpCalTrack->width() - 4);
    const int px = static_cast<int>(static_cast<long long>(inner) * std::clamp(width, 0, Calibration::kBarFullWidth) /
                                    Calibration::kBarFullWidth);
    ShpCalStep->setGeometry(2, 2, px, std::max(0, ShpCalTrack->height() - 4));
    sync::Shown(ShpCalStep, visible);
}

void CalibrationPage::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    for (QShortcut* s : shortcuts_) s->setEnabled(true);
}

void CalibrationPage::hideEvent(QHideEvent* e) {
    QWidget::hideEvent(e);
    for (QShortcut* s : shortcuts_) s->setEnabled(false);
}

void CalibrationPage::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    SetBar(barWidth_, !ShpCalStep->isHidden());
}

CalibrationUi::CalibrationUi(Workbench& wb, QtHost& host, FrmKD452& window, DisplayScheduler& scheduler,
                             SimEcu* ecuForDriver)
    : QObject(&window), wb_(wb), win_(window) {
    cal_ = std::make_unique<Calibration>(host, *wb.Comm, *wb.Image, wb.Calib, wb.Scale,
                                         ExecutableFolder() + "/TaraCorr.txt");
    connections_.push_back(
        cal_->EcuDataRead.Bind([&wb, &scheduler] { return wb.RequestsEnabled && !scheduler.RefreshPending; }));
    if (ecuForDriver) {
        SimEngine& engine = ecuForDriver->Engine();
        driver_ = std::make_unique<CalibrationDriver>(
            *cal_, wb.Calib, [&engine](bool on) { engine.SetKey(on); },
            [&engine](double rpm) { engine.SetTargetRpm(rpm); });
    }
    // The page takes the place of the tab's placeholder, keeping its caption.
    page_ = new CalibrationPage;
    QTabWidget* tabs = window.SstMain();
    const int current = tabs->currentIndex();
    const QString caption = tabs->tabText(FrmKD452::kTabCalibration);
    QWidget* placeholder = tabs->widget(FrmKD452::kTabCalibration);
    {
        const QSignalBlocker block(tabs);
        tabs->removeTab(FrmKD452::kTabCalibration);
        tabs->insertTab(FrmKD452::kTabCalibration, page_, caption);
        tabs->setCurrentIndex(current);
    }
    placeholder->hide();  // the window still owns it

    connect(page_->CmdCalStart, &QPushButton::clicked, this, [this] {
        if (cal_->CalState() == Calibration::CalDone) QApplication::setOverrideCursor(Qt::WaitCursor);
        const bool wasDone = cal_->CalState() == Calibration::CalDone;
        cal_->CmdCalStart_Click();
        if (wasDone) QApplication::restoreOverrideCursor();
    });
    connect(page_->CmdCalCancel, &QPushButton::clicked, this, [this] { cal_->CmdCalCancel_Click(); });
    connect(&window, &FrmKD452::languageChosen, this, [this] { ApplyTexts(); });
    connections_.push_back(cal_->ViewChanged.Connect([this] { Show(); }));
    // The model page redraws what the calibration did to the model, and marks the idle point.
    connections_.push_back(cal_->ModelChanged.Connect([this] {
        if (ModelPage* model = ModelPageOf(win_)) {
            model->Logic().DeselezionaPuntiMod();
            model->Logic().Refresh(wb_.Comm->ComState == kComOffLine);
        }
    }));
    connections_.push_back(cal_->IdleMarker.Connect([this](double petrolMs, double gasMs) {
        if (ModelPage* model = ModelPageOf(win_))
            model->Plot->SetIdleMarker(QPointF(std::min(petrolMs, static_cast<double>(kModelXMax)),
                                               std::min(gasMs, static_cast<double>(kModelYMax))));
    }));
    connections_.push_back(cal_->StateChanged.Connect([this](Calibration::State, Calibration::State) { Show(); }));
    ApplyTexts();
    Show();
}

CalibrationUi::~CalibrationUi() = default;

void CalibrationUi::ApplyTexts() {
    cal_->SetTexts(CalibrationTexts::Read(win_.Captions()));
    sync::Text(page_->CmdCalStart, cal_->Texts().CmdCalStart);
    sync::Text(page_->CmdCalCancel, cal_->Texts().CmdCalCancel);
    Show();
}

void CalibrationUi::ShowBox(QLabel* box, const BoxColours& c) {
    QPalette p = box->palette();
    const QColor fore = FromBgr(c.fore), back = FromBgr(c.back);
    if (p.color(QPalette::WindowText) == fore && p.color(QPalette::Window) == back) return;
    p.setColor(QPalette::WindowText, fore);
    p.setColor(QPalette::Window, back);
    box->setPalette(p);
}

void CalibrationUi::Show() {
    const CalibrationView& v = cal_->View();
    sync::Text(page_->LblCalStep, v.step);
    sync::Text(page_->LblCalMsg, v.message);
    const Qt::Alignment align = (v.messageCentred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop;
    if (page_->LblCalMsg->alignment() != align) page_->LblCalMsg->setAlignment(align);
    if (page_->CmdCalStart->isEnabled() != v.yesEnabled) page_->CmdCalStart->setEnabled(v.yesEnabled);
    if (page_->CmdCalCancel->isEnabled() != v.escEnabled) page_->CmdCalCancel->setEnabled(v.escEnabled);
    page_->SetBar(v.barWidth, v.barVisible);
    // The frame's reducer temperature and speed boxes show the calibration's colours while
    // it runs, their own ones otherwise.
    ParametriFrame* frame = win_.FrmParametri();
    const bool running = cal_->CalState() != Calibration::CalIdle;
    if (running) {
        ShowBox(frame->TxtTmpVap1, v.tempBox);
        ShowBox(frame->TxtRpm1, v.speedBox);
        boxesOwned_ = true;
    } else if (boxesOwned_) {
        ShowBox(frame->TxtTmpVap1, BoxColours{0, 0xFFFFFF});
        ShowBox(frame->TxtRpm1, BoxColours{0, 0xFFFFFF});
        boxesOwned_ = false;
    }
}

}  // namespace gw
