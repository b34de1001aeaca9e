#include "ui/FrmKD452.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QFile>
#include <QHBoxLayout>
#include <QIcon>
#include <QScreen>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/QtText.h"
#include "ui/SyncWidgets.h"

namespace gw {

namespace {

constexpr int kTallWindowPx = 9800 / kTwipsPerPixel;  // from here the Configuration page has the frame

// The connection text without its trailing dots and blanks ("COM OK.." is "COM OK").
std::string WithoutDots(const std::string& t) {
    std::size_t end = t.size();
    while (end > 0 && (t[end - 1] == '.' || t[end - 1] == ' ')) --end;
    return t.substr(0, end);
}

class BusyPointer {
public:
    BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

int FrmKD452::MenuToTab(int menuIndex) {
    static constexpr int kMap[5] = {kTabGeneral, kTabConfiguration, kTabCalibration, kTabModeling, kTabMap};
    return menuIndex >= 0 && menuIndex < 5 ? kMap[menuIndex] : -1;
}

FrmKD452::FrmKD452(Workbench& wb, QtHost& host, QWidget* parent) : QMainWindow(parent), wb_(wb), host_(host) {
    setObjectName("FrmKD452");
    BusyPointer busy;
    host_.SetDialogParent(this);

    auto* central = new QWidget(this);
    auto* v = new QVBoxLayout(central);
    v->setContentsMargins(8, 8, 8, 4);
    sstMain_ = new QTabWidget(central);
    sstMain_->setObjectName("SstMain");
    sstMain_->setDocumentMode(false);
    placeholders_[0] = PlaceholderPage("Calibration");
    placeholders_[1] = PlaceholderPage("Modeling");
    placeholders_[2] = PlaceholderPage("Map");
    general_ = new GeneralPage;
    config_ = new ConfigPage;
    sstMain_->addTab(placeholders_[0], "Calibration - F5");
    sstMain_->addTab(placeholders_[1], "Modeling - F6");
    sstMain_->addTab(placeholders_[2], "Map - F7");
    sstMain_->addTab(general_, "General - F2");
    sstMain_->addTab(config_, "Configuration - F3");
    v->addWidget(sstMain_, 1);
    cmdParametri_ = new QFrame(central);
    cmdParametri_->setObjectName("CmdParametri");
    cmdParametri_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    cmdParametri_->setFixedHeight(6);
    v->addWidget(cmdParametri_);
    parametri_ = new ParametriFrame(central);
    v->addWidget(parametri_);
    setCentralWidget(central);
    BuildStatusBar();
    BuildMenus();

    // Load, in its order: bars (the pages configure them), pictures, the second valve's
    // light, languages, port menu, page, the scheduler's start, the waiting window, the log.
    LoadPictures();
    general_->CkbeV_02->setVisible(wb_.Scale.CkbeV02Visible);
    RiempiMnuLingue();
    ApplicaLingua(wb_.Lingue.CurrentLanguage() < 0 ? 0 : wb_.Lingue.CurrentLanguage());
    SyncPortMenu();
    sstMain_->setCurrentIndex(kTabGeneral);
    connect(sstMain_, &QTabWidget::currentChanged, this, [this](int) {
        sstMain_->setEnabled(false);
        CheckTab();
        sstMain_->setEnabled(true);
    });
    general_->IstanzaInj(GeneralPage::kCylinders);
    general_->BarLambda->Configura(10, 0, 1, kColBlack, kColGreen, 2);
    general_->BarLambda->SetValore(0);

    frmInit_ = new FrmInit(this, [&] {
        const int marker = wb_.Lingue.FindMarker("[FrmInit]");
        return marker >= 0 ? wb_.Lingue.Voce(marker + 1) : std::string("READING ECU DATA");
    }());
    frmInit_->setWindowTitle(ToQ(wb_.AppTitle));
    wb_.OpenCommLog(FromQ(QDate::currentDate().toString("dd/MM/yyyy")));

    linkDown_ = wb_.Cycle->ClosedOrOffLine.Connect([this](std::uint8_t) { wb_.RequestsEnabled = false; });
    const auto busyPointer = [](bool on) {
        if (on)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    };
    cycleBusy_ = wb_.Cycle->BusyPointer.Connect(busyPointer);
    checkBusy_ = wb_.Check->BusyPointer.Connect(busyPointer);
    commTicked_ = wb_.CommTicked.Connect([this] { CommTick(); });
    // The window's own work comes first on each display tick: the display scheduler
    // connects after it.
    displayTicked_ = wb_.DisplayTicked.Connect([this] { DisplayTick(); });
    exitDue_ = wb_.ExitDue.Connect([this] { OnExitRequested(); });
    qApp->installEventFilter(this);

    resize(1000, 700);
    setMinimumSize(760, 520);
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect r = s->availableGeometry();
        move(r.x() + (r.width() - width()) / 2, r.y() + (r.height() - height()) / 2 - 450 / kTwipsPerPixel);
    }
    CheckTab();
}

FrmKD452::~FrmKD452() {
    qApp->removeEventFilter(this);
    host_.SetDialogParent(nullptr);
}

QWidget* FrmKD452::PlaceholderPage(const char* name) {
    auto* page = new QWidget;
    page->setObjectName(name);
    auto* l = new QVBoxLayout(page);
    auto* text = new QLabel(page);
    text->setObjectName(QString("LblNotAvailable%1").arg(name));
    text->setAlignment(Qt::AlignCenter);
    QFont f = text->font();
    f.setPointSizeF(f.pointSizeF() * 1.3);
    text->setFont(f);
    l->addWidget(text);
    return page;
}

QWidget* FrmKD452::PageWidget(int tab) const { return sstMain_->widget(tab); }

void FrmKD452::SetPage(int tab, QWidget* page) {
    QWidget* old = sstMain_->widget(tab);
    if (!old || !page) return;
    const QString text = sstMain_->tabText(tab);
    const bool current = sstMain_->currentIndex() == tab;
    const QSignalBlocker block(sstMain_);
    sstMain_->removeTab(tab);
    sstMain_->insertTab(tab, page, text);
    if (current) sstMain_->setCurrentIndex(tab);
    for (QWidget*& p : placeholders_)
        if (p == old) p = nullptr;
    old->deleteLater();
}

void FrmKD452::BuildStatusBar() {
    const char* names[3] = {"TxtStatusBar0", "TxtStatusBar1", "TxtStatusBar2"};
    for (int i = 0; i < 3; ++i) {
        auto* l = new QLabel(this);
        l->setObjectName(names[i]);
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setMargin(1);
        l->setAutoFillBackground(true);
        statusBar_[static_cast<size_t>(i)] = l;
    }
    QFont mono = statusBar_[1]->font();
    mono.setFamily("Monospace");
    mono.setStyleHint(QFont::TypeWriter);
    statusBar_[1]->setFont(mono);
    // The connection text changes on every communication tick while an answer is awaited,
    // the time every second: fixed sizes keep those changes from laying out the window.
    statusBar_[1]->setText("COM CLOSED");
    statusBar_[1]->setFixedSize(QFontMetrics(mono).horizontalAdvance("COM CLOSED") + 16,
                                statusBar_[1]->sizeHint().height());
    statusBar_[2]->setText("Time: 000:00:00");
    statusBar_[2]->setFixedSize(QFontMetrics(statusBar_[2]->font()).horizontalAdvance("Time: 000:00:00") + 16,
                                statusBar_[2]->sizeHint().height());
    statusBar_[2]->setText("Time: 0:00:00");
    statusBar()->addWidget(statusBar_[0], 1);
    statusBar()->addPermanentWidget(statusBar_[1]);
    statusBar()->addPermanentWidget(statusBar_[2]);
    statusBar()->setSizeGripEnabled(true);
    AggiornaStatusBar();
}

void FrmKD452::LoadPictures() {
    const QString ico = ToQ(wb_.Path("\\LNG\\ico.ico"));
    if (QFile::exists(ico)) setWindowIcon(QIcon(ico));
    auto picture = [this](const char* rel, PictureBox* box, const QString& fallback) {
        QPixmap pic;
        const QString path = ToQ(wb_.Path(rel));
        if (QFile::exists(path) && pic.load(path)) {
            box->setPixmap(pic);
            box->setScaledContents(false);
        } else {
            box->setText(fallback);
        }
    };
    picture("\\LNG\\img2.img", general_->ImgLogo, "LPG / CNG");
    picture("\\LNG\\img3.img", parametri_->ImgLogoS, "LPG");
    connect(general_->ImgLogo, &PictureBox::released, this, [this] { LogoReleased(); });
    connect(parametri_->ImgLogoS, &PictureBox::released, this, [this] { LogoReleased(); });
}

void FrmKD452::LogoReleased() {
    if (wb_.FuelSwitchRequest == 0 && KeyOn()) wb_.FuelSwitchRequest = 1;
}

// ---- pages ----

void FrmKD452::SelectMenuPage(int menuIndex) {
    const int tab = MenuToTab(menuIndex);
    if (tab < 0) return;
    if (sstMain_->currentIndex() == tab)
        CheckTab();
    else
        sstMain_->setCurrentIndex(tab);  // the page-change handler runs CheckTab
}

void FrmKD452::UpdateFrameVisibility() {
    const int tab = sstMain_->currentIndex();
    bool show = tab == kTabCalibration || tab == kTabModeling || tab == kTabMap;
    if (tab == kTabConfiguration) show = height() >= kTallWindowPx;
    parametri_->setVisible(show);
    cmdParametri_->setVisible(show);
}

void FrmKD452::CheckTab() {
    if (checkTabBusy_) return;
    checkTabBusy_ = true;
    BusyPointer busy;
    UpdateFrameVisibility();
    switch (sstMain_->currentIndex()) {
        case kTabGeneral: general_->CmbInj->setFocus(); break;
        case kTabConfiguration: config_->CmdTpyGLS->setFocus(); break;
        default: break;
    }
    emit tabChecked(sstMain_->currentIndex());
    checkTabBusy_ = false;
}

void FrmKD452::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    if (!isMinimized()) UpdateFrameVisibility();
}

// ---- title ----

void FrmKD452::SetTitle(const std::string& configPath) {
    configPath_ = configPath;
    std::string t = wb_.AppTitle + " - " + kSoftwareVersion;
    if (!configPath.empty()) t += " - [" + configPath + "]";
    setWindowTitle(ToQ(t));
}

// ---- timers ----

void FrmKD452::CommTick() {
    if (unloaded_) return;
    AggiornaStatusBar();
    SyncPortMenu();
}

void FrmKD452::AggiornaStatusBar() {
    const ConnectionStatus& s = wb_.LinkView->status;
    if (shownValid_ && s.text0 == shown_.text0 && s.back0 == shown_.back0 && s.text1 == shown_.text1 &&
        s.back1 == shown_.back1 && s.fore1 == shown_.fore1)
        return;
    // The dots after the connection text move on every communication tick while an answer
    // is awaited; they are shown at most kDotsIntervalUs apart. Any other change at once.
    const double now = host_.MicroClock();
    if (shownValid_ && s.text0 == shown_.text0 && s.back0 == shown_.back0 && s.back1 == shown_.back1 &&
        s.fore1 == shown_.fore1 && WithoutDots(s.text1) == WithoutDots(shown_.text1) &&
        now - shownAtUs_ < kDotsIntervalUs)
        return;
    shownAtUs_ = now;
    statusBar_[0]->setText(ToQ(s.text0));
    SetColors(statusBar_[0], ColorOf(s.back0), Qt::black);
    statusBar_[1]->setText(ToQ(s.text1));
    SetColors(statusBar_[1], ColorOf(s.back1), ColorOf(s.fore1));
    shown_ = s;
    shownValid_ = true;
}

void FrmKD452::SyncPortMenu() {
    const PortMenu m = wb_.LinkView->Menu();
    for (int i = 0; i < PortMenu::kItems; ++i) {
        QAction* a = mnuDevCom_[static_cast<size_t>(i)];
        if (a->isChecked() != m.devChecked[static_cast<size_t>(i)]) a->setChecked(m.devChecked[static_cast<size_t>(i)]);
    }
    if (mnuOffLine_->isChecked() != m.offLineChecked) mnuOffLine_->setChecked(m.offLineChecked);
    if (mnuSimulated_->isChecked() != m.simulatedChecked) mnuSimulated_->setChecked(m.simulatedChecked);
    if (mnuDevice_->isEnabled() != m.deviceEnabled) mnuDevice_->setEnabled(m.deviceEnabled);
}

void FrmKD452::DisplayTick() {
    if (unloaded_) return;
    frmInit_->ElaboraMsgCom(wb_.Cycle->OffLine, wb_.Cycle->SearchRunning(), EcuDataToRead());
    const long secs = static_cast<long>(wb_.Comm->TimeComSeconds());
    const QString time = QString("Time: %1:%2:%3")
                             .arg(secs / 3600)
                             .arg((secs / 60) % 60, 2, 10, QChar('0'))
                             .arg(secs % 60, 2, 10, QChar('0'));
    if (time != shownTime_) {
        statusBar_[2]->setText(time);
        shownTime_ = time;
    }
    parametri_->ShpCalComm->SetOn(!wb_.Comm->WDogPresente);
}

QString FrmKD452::StatusText(int field) const {
    return field >= 0 && field < 3 ? statusBar_[static_cast<size_t>(field)]->text() : QString();
}

// ---- closing ----

void FrmKD452::closeEvent(QCloseEvent* e) {
    if (unloaded_) {
        e->accept();
        return;
    }
    if (!wb_.Timer2->Enabled() && !wb_.Cycle->CommBusy && !wb_.DisplayBusy) {
        // No display tick will come to unload the window: unload now.
        Unload();
        e->accept();
        return;
    }
    e->ignore();
    BusyPointer busy;
    // Off-line at once unless a tick is running: an exchange inside it is let finish, and
    // the unload waits for the end of that tick.
    if (!wb_.Cycle->CommBusy && !wb_.DisplayBusy) {
        wb_.Comm->ComState = kComOffLine;
        wb_.Comm->CloseComPort();
    }
    wb_.ExitRequested = true;
    host_.DoEvents();
    if (unloaded_) e->accept();  // a display tick unloaded the window inside the wait
}

void FrmKD452::OnExitRequested() {
    if (unloaded_ || wb_.Cycle->CommBusy || wb_.DisplayBusy) return;  // the next tick tries again
    Unload();
    // Closed from the event loop: a close asked inside a close in progress would be lost.
    QTimer::singleShot(0, this, [this] { close(); });
}

void FrmKD452::Unload() {
    if (unloaded_) return;
    BusyPointer busy;
    unloaded_ = true;
    wb_.Shutdown();  // off-line, timers stopped, a running tick let end, port and log closed
    frmInit_->hide();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible() && w->parentWidget() == this) w->hide();
}

}  // namespace gw
