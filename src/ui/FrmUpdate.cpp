#include "ui/FrmUpdate.h"

#include <QApplication>
#include <algorithm>
#include <QCloseEvent>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>

#include "app/DictionaryEntries.h"
#include "app/MarkerTexts.h"
#include "app/Workbench.h"
#include "ui/QtText.h"
#include "ui/SyncWidgets.h"

namespace gw {

namespace {

std::string Entry(const ClsLingue& l, int entry, const char* fallback) {
    const std::string t = l.Voce(entry);
    return t.empty() ? std::string(fallback) : t;
}

// The wizard's texts use CR LF line breaks; a label wants plain ones.
QString Lines(const std::string& s) {
    QString q = ToQ(s);
    q.replace("\r\n", "\n");
    q.replace('\r', '\n');
    return q;
}

}  // namespace

UpgradeTexts UpgradeTextsFor(const Workbench& wb) {
    const ClsLingue& l = wb.Lingue;
    UpgradeTexts t;
    t.caption = wb.AppTitle;
    t.start = Entry(l, kEntryUpgradeStart, "Firmware upgrade: a newer firmware is available for this ECU.");
    t.ready = Entry(l, kEntryUpgradeReady, "Ready: press Next to write the firmware.");
    t.stopEngine = Entry(l, kEntryUpgradeStopEngine, "Stop the engine, leave the key on, then press Next.");
    t.error = Entry(l, kEntryMsgCommunicationError, "Communication error.");
    t.done = Entry(l, kEntryUpgradeDone, "Upgrade finished.");
    t.confirmExit = Entry(l, kEntryMsgAreYouSure, "Are you sure?");
    t.relEcuCaption = Entry(l, kEntryUpgradeEcuRelease, "Ecu release: ");
    t.relFleCaption = Entry(l, kEntryUpgradeFileRelease, "File release: ");
    return t;
}

FrmUpdate::FrmUpdate(QWidget* owner, Workbench& wb) : QDialog(owner), wb_(wb) {
    setObjectName("FrmUpdate");
    setModal(true);
    setWindowTitle(ToQ(wb_.AppTitle));
    const QString ico = ToQ(wb_.Path("\\LNG\\ico.ico"));
    if (QFile::exists(ico)) setWindowIcon(QIcon(ico));
    setAutoFillBackground(true);

    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(14, 14, 14, 12);
    LblMsg = new QLabel(this);
    LblMsg->setObjectName("LblMsg");
    LblMsg->setWordWrap(true);
    LblMsg->setAlignment(Qt::AlignCenter);
    LblMsg->setMinimumHeight(72);
    LblMsg->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    LblMsg->setAutoFillBackground(true);
    QFont big = LblMsg->font();
    big.setPointSizeF(big.pointSizeF() * 1.15);
    big.setBold(true);
    LblMsg->setFont(big);
    {
        QPalette p = LblMsg->palette();
        p.setColor(QPalette::Window, Qt::white);
        p.setColor(QPalette::WindowText, Qt::black);
        LblMsg->setPalette(p);
    }
    v->addWidget(LblMsg);

    auto* rel = new QGridLayout;
    LblRelEcu = new QLabel(this);
    LblRelEcu->setObjectName("LblRelEcu");
    LblRelEcu_Val = new QLabel(this);
    LblRelEcu_Val->setObjectName("LblRelEcu_Val");
    LblRelFle = new QLabel(this);
    LblRelFle->setObjectName("LblRelFle");
    LblRelFle_Val = new QLabel(this);
    LblRelFle_Val->setObjectName("LblRelFle_Val");
    for (QLabel* l : {LblRelEcu_Val, LblRelFle_Val}) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    rel->addWidget(LblRelEcu, 0, 0);
    rel->addWidget(LblRelEcu_Val, 0, 1);
    rel->addWidget(LblRelFle, 1, 0);
    rel->addWidget(LblRelFle_Val, 1, 1);
    rel->setColumnStretch(1, 1);
    v->addLayout(rel);

    // The progress bar: a track 4815 twips wide, the filled part growing from its left, and
    // the phase name over both.
    BarTrack = new QFrame(this);
    BarTrack->setObjectName("BarTrack");
    BarTrack->setFrameStyle(QFrame::Box | QFrame::Plain);
    BarTrack->setAutoFillBackground(true);
    {
        QPalette p = BarTrack->palette();
        p.setColor(QPalette::Window, Qt::white);
        BarTrack->setPalette(p);
    }
    BarTrack->setFixedSize(4815 / kTwipsPerPixel, 22);
    ShpBarUpDate = new QFrame(BarTrack);
    ShpBarUpDate->setObjectName("ShpBarUpDate");
    ShpBarUpDate->setAutoFillBackground(true);
    {
        QPalette p = ShpBarUpDate->palette();
        p.setColor(QPalette::Window, QColor(0x4a, 0x90, 0xd9));
        ShpBarUpDate->setPalette(p);
    }
    LblBackBar = new QLabel(BarTrack);
    LblBackBar->setObjectName("LblBackBar");
    LblBackBar->setAlignment(Qt::AlignCenter);
    LblBackBar->setGeometry(0, 0, BarTrack->width(), BarTrack->height());
    LblBackBar->raise();
    v->addWidget(BarTrack, 0, Qt::AlignHCenter);

    auto* buttons = new QHBoxLayout;
    CmdUpdate = new QPushButton("Next", this);
    CmdUpdate->setObjectName("CmdUpdate");
    CmdUpdate->setAutoDefault(false);
    CmdEsc = new QPushButton("Esc", this);
    CmdEsc->setObjectName("CmdEsc");
    CmdEsc->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(CmdUpdate);
    buttons->addWidget(CmdEsc);
    v->addLayout(buttons);
    setMinimumWidth(420);

    logic_ = std::make_unique<FirmwareUpgrade>(*wb_.Comm, *wb_.Check, *wb_.Image, wb_.RequestsEnabled,
                                               UpgradeTextsFor(wb_));
    logic_->trackWidth = BarTrack->width() * kTwipsPerPixel;
    changed_ = logic_->StateChanged.Connect([this] { ShowState(); });

    connect(CmdUpdate, &QPushButton::clicked, this, [this] {
        logic_->CmdUpdate_Click();
        CloseIfDone();
    });
    connect(CmdEsc, &QPushButton::clicked, this, [this] {
        logic_->CmdEsc_Click();
        CloseIfDone();
    });
    Timer1.setInterval(200);
    connect(&Timer1, &QTimer::timeout, this, [this] { logic_->OnTimer1(); });

    logic_->Form_Load();
    adjustSize();
}

FrmUpdate::~FrmUpdate() {
    Timer1.stop();
    changed_.Disconnect();
}

void FrmUpdate::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (QWidget* p = parentWidget()) {
        const QRect r = p->window()->geometry();
        move(r.x() + (r.width() - width()) / 2, r.y() + (r.height() - height()) / 2);
    } else if (QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect r = s->availableGeometry();
        move(r.x() + (r.width() - width()) / 2, r.y() + (r.height() - height()) / 2);
    }
    if (logic_->timerEnabled && !Timer1.isActive()) Timer1.start();
}

void FrmUpdate::ShowState() {
    const FirmwareUpgrade& u = *logic_;
    {
        const QColor back = ColorOf(u.backColour);
        if (palette().color(QPalette::Window) != back) {
            QPalette p = palette();
            p.setColor(QPalette::Window, back);
            setPalette(p);
        }
    }
    sync::Text(LblMsg, Lines(u.LblMsg));
    sync::Text(LblRelEcu, ToQ(u.LblRelEcu));
    sync::Text(LblRelEcu_Val, ToQ(u.LblRelEcu_Val));
    sync::Text(LblRelFle, ToQ(u.LblRelFle));
    sync::Text(LblRelFle_Val, ToQ(u.LblRelFle_Val));
    // The phase names are the upgrade's own; the incomplete ending is told in the user's language.
    const std::string phase = u.LblBackBar == kPhaseIncomplete
                                  ? MarkerText(&wb_.Lingue, kMarkerMain, kMainUpgradeIncomplete, kPhaseIncomplete)
                                  : u.LblBackBar;
    sync::Text(LblBackBar, ToQ(phase));
    sync::Shown(BarTrack, u.barVisible);
    const int px = std::clamp(u.barWidth / kTwipsPerPixel, 0, BarTrack->width());
    if (ShpBarUpDate->width() != px || ShpBarUpDate->height() != BarTrack->height())
        ShpBarUpDate->setGeometry(0, 0, px, BarTrack->height());
    sync::Shown(ShpBarUpDate, u.barFilledVisible);
    sync::Shown(CmdUpdate, u.nextVisible);
    sync::Shown(CmdEsc, u.escVisible);
    if (CmdUpdate->isEnabled() != u.nextEnabled) CmdUpdate->setEnabled(u.nextEnabled);
    if (CmdEsc->isEnabled() != u.escEnabled) CmdEsc->setEnabled(u.escEnabled);
    const bool busy = u.busyPointer;
    if ((cursor().shape() == Qt::WaitCursor) != busy) setCursor(busy ? Qt::WaitCursor : Qt::ArrowCursor);
    if (u.timerEnabled && isVisible() && !Timer1.isActive()) Timer1.start();
}

void FrmUpdate::CloseIfDone() {
    if (!logic_->closed || closing_) return;
    closing_ = true;
    Timer1.stop();
    accept();
}

void FrmUpdate::closeEvent(QCloseEvent* e) {
    if (closing_ || logic_->closed) {
        e->accept();
        return;
    }
    // The close box is "Esc": it asks first, and does nothing while the flash is written.
    e->ignore();
    if (logic_->escVisible && logic_->escEnabled) {
        logic_->CmdEsc_Click();
        CloseIfDone();
    }
}

void FrmUpdate::keyPressEvent(QKeyEvent* e) {
    // No key closes the window behind the wizard's back; Escape is the "Esc" button.
    if (e->key() == Qt::Key_Escape) {
        if (CmdEsc->isVisible() && CmdEsc->isEnabled()) CmdEsc->click();
        return;
    }
    QWidget::keyPressEvent(e);
}

}  // namespace gw
