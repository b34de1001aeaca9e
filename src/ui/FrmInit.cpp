#include "ui/FrmInit.h"

#include <QCloseEvent>
#include <QVBoxLayout>

#include "ui/QtText.h"
#include "ui/SyncWidgets.h"

namespace gw {

namespace {
}

FrmInit::FrmInit(QWidget* owner, std::string type0Text)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), logic_(std::move(type0Text)) {
    setObjectName("FrmInit");
    setModal(false);
    setFixedSize(logic_.trackWidth / kTwipsPerPixel + 40, 110);
    auto* v = new QVBoxLayout(this);
    lblMsg_ = new QLabel(this);
    lblMsg_->setObjectName("LblMsg");
    lblMsg_->setAlignment(Qt::AlignCenter);
    QFont f = lblMsg_->font();
    f.setBold(true);
    lblMsg_->setFont(f);
    v->addWidget(lblMsg_);
    track_ = new QFrame(this);
    track_->setObjectName("Label1");
    track_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    track_->setFixedSize(logic_.trackWidth / kTwipsPerPixel, 16);
    marker_ = new QFrame(track_);
    marker_->setObjectName("Shape1");
    marker_->setAutoFillBackground(true);
    SetColors(marker_, QColor(0, 0, 160), Qt::white);
    marker_->setGeometry(0, 2, logic_.shapeWidth / kTwipsPerPixel, 12);
    v->addWidget(track_, 0, Qt::AlignHCenter);
    timer_.setInterval(100);
    connect(&timer_, &QTimer::timeout, this, [this] { OnTimer(); });
}

void FrmInit::ElaboraMsgCom(bool offLine, bool searchRunning, bool dataToRead) {
    const bool wasVisible = logic_.visible;
    logic_.ElaboraMsgCom(offLine, searchRunning, dataToRead);
    if (logic_.visible && !wasVisible) {
        if (parentWidget()) {
            const QRect r = parentWidget()->geometry();
            move(r.center() - QPoint(width() / 2, height() / 2));
        }
        show();
        raise();
        setEnabled(true);
    } else if (!logic_.visible && isVisible()) {
        hide();
    }
    if (!logic_.visible) lblMsg_->setText(ToQ(logic_.LblMsg));
    if (logic_.timerEnabled != timer_.isActive()) {
        if (logic_.timerEnabled)
            timer_.start();
        else
            timer_.stop();
    }
}

void FrmInit::OnTimer() {
    logic_.OnTimer();
    lblMsg_->setText(ToQ(logic_.LblMsg));
    marker_->move(logic_.shapeLeft / kTwipsPerPixel, marker_->y());
}

void FrmInit::closeEvent(QCloseEvent* e) { e->ignore(); }  // only the display timer hides it

}  // namespace gw
