#include "ui/FrmStartUp.h"

#include <QFile>
#include <QHBoxLayout>
#include <QIcon>
#include <QPixmap>
#include <QVBoxLayout>

#include "app/Workbench.h"
#include "ui/QtText.h"

namespace gw {

FrmStartUp::FrmStartUp(QWidget* owner, Workbench& wb) : QDialog(owner), wb_(wb) {
    setObjectName("FrmStartUp");
    setWindowTitle(ToQ(wb_.AppTitle));
    const QString ico = ToQ(wb_.Path("\\LNG\\ico.ico"));
    if (QFile::exists(ico)) setWindowIcon(QIcon(ico));
    auto* v = new QVBoxLayout(this);
    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    const QString img = ToQ(wb_.Path("\\LNG\\IMG.IMG"));
    QPixmap pic;
    if (QFile::exists(img) && pic.load(img)) {
        Image1->setPixmap(pic.scaledToWidth(420, Qt::SmoothTransformation));
        v->addWidget(Image1, 0, Qt::AlignHCenter);
    } else {
        Image1->hide();
    }
    LblVersioneVal = new QLabel(this);
    LblVersioneVal->setObjectName("LblVersioneVal");
    LblVersioneVal->setFrameStyle(QFrame::NoFrame);
    LblVersioneVal->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LblVersioneVal->setMinimumWidth(420);
    v->addWidget(LblVersioneVal);
    auto* buttons = new QHBoxLayout;
    CmdUpdateFrm = new QPushButton("Update firmware", this);
    CmdUpdateFrm->setObjectName("CmdUpdateFrm");
    CmdUpdateFrm->setAutoFillBackground(true);
    Command1 = new QPushButton("Esc", this);
    Command1->setObjectName("Command1");
    Command1->setDefault(true);
    buttons->addWidget(CmdUpdateFrm);
    buttons->addStretch();
    buttons->addWidget(Command1);
    v->addLayout(buttons);
    connect(Command1, &QPushButton::clicked, this, &QDialog::accept);
    connect(CmdUpdateFrm, &QPushButton::clicked, this, [this] { CmdUpdateFrm_Click(); });
    timer_.setInterval(500);
    connect(&timer_, &QTimer::timeout, this, [this] { OnTimer(); });
    CmdUpdateFrm->hide();
}

void FrmStartUp::Fill(const std::string& text, bool updateOffered) {
    LblVersioneVal->setText(ToQ(text));
    Command1->setVisible(true);
    CmdUpdateFrm->setVisible(updateOffered);
    setEnabled(true);
}

void FrmStartUp::OnTimer() {
    if (CmdUpdateFrm->isHidden()) return;
    lit_ = !lit_;
    QPalette p = CmdUpdateFrm->palette();
    p.setColor(QPalette::Button, lit_ ? QColor(255, 128, 0) : Command1->palette().color(QPalette::Button));
    CmdUpdateFrm->setPalette(p);
}

void FrmStartUp::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    timer_.start();
}

void FrmStartUp::hideEvent(QHideEvent* e) {
    timer_.stop();
    QDialog::hideEvent(e);
}

void FrmStartUp::CmdUpdateFrm_Click() {
    wb_.RequestsEnabled = false;  // no parameter requests during the upgrade
    wb_.FirmwareUpdateRequested = true;
    accept();
}

}  // namespace gw
