#include "ui/Widgets.h"

#include <QPainter>
#include <algorithm>

#include "ui/QtText.h"

namespace gw {

QLabel* MakeValueBox(const QString& text, const QString& objectName, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(objectName);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setMinimumWidth(64);
    l->setAutoFillBackground(true);
    QPalette p = l->palette();
    p.setColor(QPalette::Window, Qt::white);
    p.setColor(QPalette::WindowText, Qt::black);
    l->setPalette(p);
    QFont f = l->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.15);
    l->setFont(f);
    l->setMargin(2);
    // A fixed size, room for the widest value of the box's form (its first text) and a
    // digit more: a changing value then never makes the layout move the neighbours, nor
    // the window lay itself out and repaint several times a second.
    const int room = QFontMetrics(f).horizontalAdvance(text + "0") + 2 * l->margin() + 2 * l->frameWidth() + 6;
    l->setFixedSize(std::max(64, room), l->sizeHint().height());
    return l;
}

QLabel* MakeLabel(const QString& text, const QString& objectName, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(objectName);
    return l;
}

Light::Light(const QString& caption, const QString& objectName, QWidget* parent) : QPushButton(caption, parent) {
    setObjectName(objectName);
    setCheckable(true);
    setFocusPolicy(Qt::NoFocus);  // indicators never hold the focus
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setMinimumWidth(52);
    SetOn(false);
}

void Light::SetOn(bool on) {
    if (on == isChecked() && autoFillBackground()) return;  // changed only when they disagree
    setChecked(on);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Button, ColorOf(on ? 0x80000010u : 0x8000000Fu));
    setPalette(p);
}

Lamp::Lamp(const QString& objectName, QWidget* parent) : QWidget(parent) {
    setObjectName(objectName);
    setFixedSize(18, 18);
}

void Lamp::SetOn(bool on) {
    if (on == on_) return;
    on_ = on;
    update();
}

void Lamp::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(on_ ? QColor(0, 200, 0) : palette().color(QPalette::Button));
    p.drawEllipse(rect().adjusted(1, 1, -2, -2));
}

PictureBox::PictureBox(const QString& objectName, QWidget* parent) : QLabel(parent) {
    setObjectName(objectName);
    setAlignment(Qt::AlignCenter);
    setFrameStyle(QFrame::Box | QFrame::Plain);
}

void PictureBox::mousePressEvent(QMouseEvent*) {
    setFrameStyle(QFrame::Panel | QFrame::Raised);  // pressed: 3-D
    emit pressed();
}

void PictureBox::mouseReleaseEvent(QMouseEvent*) {
    setFrameStyle(QFrame::Box | QFrame::Plain);
    emit released();
}

}  // namespace gw
