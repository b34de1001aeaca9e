#include "ui/UCtrlBar.h"

#include <QPainter>
#include <cmath>

#include "ui/QtText.h"

namespace gw {

UCtrlBar::UCtrlBar(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFocusPolicy(Qt::NoFocus);
}

void UCtrlBar::Configura(int maxVal, int minVal, int stepVal, std::uint32_t backBarClr,
                         std::uint32_t foreBarClr, int modeVal) {
    if (maxVal < minVal) maxVal = minVal;
    if (maxVal - minVal < stepVal) stepVal = maxVal - minVal;
    if (stepVal < 1) stepVal = 1;
    max_ = maxVal;
    min_ = minVal;
    step_ = stepVal;
    mode_ = modeVal;
    back_ = backBarClr;
    fore_ = foreBarClr;
    stepBorder_ = modeVal > 0;
    lit_.assign(static_cast<size_t>((max_ - min_) / step_), false);
    update();
}

void UCtrlBar::SetValore(int v) {
    if (v < 0) v = 0;
    v /= step_;  // the range's lower end is not subtracted
    const int n = Segments();
    if (mode_ != 2) {
        for (int i = 0; i < n; ++i) lit_[static_cast<size_t>(i)] = i < v;
    } else if (n > 0) {
        if (v > n - 1) v = n - 1;
        for (int i = 0; i < n; ++i) lit_[static_cast<size_t>(i)] = i == v;
    }
    update();
}

int UCtrlBar::Valore() const {
    int count = 0;
    while (count < Segments() && lit_[static_cast<size_t>(count)]) ++count;
    return count * step_;
}

void UCtrlBar::SetForeColor(std::uint32_t c) {
    fore_ = c;
    update();
}

int UCtrlBar::SegmentWidthPx() const {
    if (Segments() == 0) return 0;
    return static_cast<int>(std::nearbyint(static_cast<double>(width()) / Segments()));
}

void UCtrlBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), ColorOf(back_));
    const int w = SegmentWidthPx();
    const QColor fore = ColorOf(fore_);
    for (int i = 0; i < Segments(); ++i) {
        if (!lit_[static_cast<size_t>(i)]) continue;
        const QRect seg(i * w, 0, w, height());
        p.fillRect(seg, fore);
        if (stepBorder_) {
            p.setPen(fore);
            p.drawRect(seg.adjusted(0, 0, -1, -1));
        }
    }
    p.setPen(Qt::black);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace gw
