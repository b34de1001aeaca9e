#include "ui/TraceView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "ui/QtText.h"

namespace gw {

namespace {

constexpr int kDivX = 10, kDivY = 8;
constexpr int kLabelHeight = 18;
constexpr double kMinSpanMs = 100;  // 10 ms a division

QColor TraceColour(const view::ChannelSettings& c) {
    bool ok = false;
    const unsigned v = QString::fromStdString(c.tag).trimmed().toUInt(&ok);
    return ok ? ColorOf(v) : QColor(Qt::white);
}

std::size_t IndexAt(const std::vector<view::RawSample>& s, double ms) {
    return static_cast<std::size_t>(
        std::lower_bound(s.begin(), s.end(), ms, [](const view::RawSample& a, double t) { return a.timeMs < t; }) -
        s.begin());
}

}  // namespace

TraceView::TraceView(view::ViewerLogic& logic, QWidget* parent) : QWidget(parent), logic_(logic) {
    setObjectName("PctView");
    setMinimumSize(480, 300);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TraceView::ShowFileStart() {
    const auto& set = logic_.Shown().set;
    SetSpan(set.FirstMs(), kDivX * logic_.SecDiv() * 1000);
}

void TraceView::SetSpan(double startMs, double spanMs) {
    double maxSpan = kDivX * 20 * 1000.0;
    if (!logic_.Recording()) {
        const auto& set = logic_.Shown().set;
        maxSpan = std::max(maxSpan, (set.LastMs() - set.FirstMs()) * 1.2);
        // Keep some of the file in sight.
        if (!set.samples.empty()) startMs = std::clamp(startMs, set.FirstMs() - spanMs * 0.9, set.LastMs() - spanMs * 0.1);
    }
    spanMs_ = std::clamp(spanMs, kMinSpanMs, maxSpan);
    startMs_ = std::isfinite(startMs) ? startMs : 0;
    update();
}

void TraceView::SetCursorX(int x) {
    cursorX_ = x;
    update();
}

QRect TraceView::PlotRect(const QRect& area) const { return area.adjusted(0, 0, -1, -kLabelHeight); }

double TraceView::Y(int channel, double value, const QRect& plot) const {
    const auto& c = logic_.Settings().channels[static_cast<std::size_t>(channel)];
    const double div = c.offset + value * c.zoom;
    return plot.bottom() - div * plot.height() / kDivY;
}

void TraceView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    PaintOn(p, rect());
}

void TraceView::PaintOn(QPainter& p, const QRect& area) {
    p.fillRect(area, Qt::black);
    const QRect plot = PlotRect(area);
    // The grid.
    p.setPen(QPen(QColor(70, 70, 70), 1, Qt::DotLine));
    for (int i = 0; i <= kDivX; ++i) {
        const int x = plot.left() + i * plot.width() / kDivX;
        p.drawLine(x, plot.top(), x, plot.bottom());
    }
    for (int i = 0; i <= kDivY; ++i) {
        const int y = plot.top() + i * plot.height() / kDivY;
        p.drawLine(plot.left(), y, plot.right(), y);
    }
    p.save();
    p.setClipRect(plot);
    if (logic_.Recording()) DrawLive(p, plot);
    else DrawFile(p, plot);
    p.restore();
    // Time labels under every second line, from the first sample.
    double origin = 0;
    bool any = false;
    if (logic_.Recording()) {
        if (!logic_.Live().empty()) {
            origin = logic_.Live().front().TimeMs;
            any = true;
        }
    } else if (!logic_.Shown().set.samples.empty()) {
        origin = logic_.Shown().set.FirstMs();
        any = true;
    }
    p.setPen(QColor(200, 200, 200));
    QFont f = p.font();
    f.setPointSizeF(std::max(6.0, f.pointSizeF() * 0.85));
    p.setFont(f);
    for (int i = 0; i <= kDivX; i += 2) {
        const int x = plot.left() + i * plot.width() / kDivX;
        const QString t = ToQ(view::TimeLabel(startMs_ + spanMs_ * i / kDivX - origin, any));
        const int w = p.fontMetrics().horizontalAdvance(t);
        const int left = std::clamp(x - w / 2, area.left() + 2, area.right() - w - 2);
        p.drawText(QPoint(left, area.bottom() - 4), t);
    }
    DrawCursor(p, plot);
}

void TraceView::DrawFile(QPainter& p, const QRect& plot) {
    const auto& set = logic_.Shown().set;
    const auto& s = set.samples;
    if (s.empty()) return;
    const int w = std::max(1, plot.width());
    std::vector<std::size_t> idx(static_cast<std::size_t>(w) + 1);
    for (int x = 0; x <= w; ++x) idx[static_cast<std::size_t>(x)] = IndexAt(s, startMs_ + spanMs_ * x / w);
    const std::size_t first = idx.front(), last = idx.back();
    const view::SampleScales scales = logic_.Scales();
    const view::TracePyramid& pyr = logic_.Pyramid();
    QPolygonF pts;
    pts.reserve(2 * w + 4);
    for (int c = 0; c < view::kChannels; ++c) {
        if (!logic_.Checked()[static_cast<std::size_t>(c)]) continue;
        const auto& cs = logic_.Settings().channels[static_cast<std::size_t>(c)];
        p.setPen(QPen(TraceColour(cs), cs.setting));
        pts.clear();
        if (last - first <= static_cast<std::size_t>(w)) {
            // Few samples: a line through each, from the one before the view to the one after.
            const std::size_t a = first > 0 ? first - 1 : 0, b = std::min(s.size(), last + 1);
            for (std::size_t i = a; i < b; ++i) {
                const double x = plot.left() + (s[i].timeMs - startMs_) * w / spanMs_;
                pts << QPointF(x, Y(c, view::ChannelValue(s[i], c, logic_.Injector(), set.constants, scales), plot));
            }
        } else {
            // Many: a bar from the lowest to the highest value under each pixel column, reaching
            // the column before so that the trace stays joined. Bars, not a stroked line: a wide
            // pen on thousands of overlapping segments costs whole seconds.
            const QColor colour = TraceColour(cs);
            const int pen = std::max(1, cs.setting);
            double prevLo = 0, prevHi = 0;
            bool prev = false;
            for (int x = 0; x < w; ++x) {
                const auto r = pyr.Range(c, idx[static_cast<std::size_t>(x)], idx[static_cast<std::size_t>(x) + 1]);
                if (!r.any) {
                    prev = false;
                    continue;
                }
                const double yLo = Y(c, r.lo, plot), yHi = Y(c, r.hi, plot);  // yLo below yHi on screen
                double top = std::min(yLo, yHi), bottom = std::max(yLo, yHi);
                if (prev) {
                    top = std::min(top, prevHi);
                    bottom = std::max(bottom, prevLo);
                }
                // Only as far as the column before reached: its far end, not its whole bar.
                prevLo = std::max(yLo, yHi);
                prevHi = std::min(yLo, yHi);
                prev = true;
                top = std::clamp(top, plot.top() - 1.0, plot.bottom() + 1.0);
                bottom = std::clamp(bottom, plot.top() - 1.0, plot.bottom() + 1.0);
                const int y0 = static_cast<int>(std::floor(top)) - (pen - 1) / 2;
                const int y1 = static_cast<int>(std::ceil(bottom)) + pen / 2;
                p.fillRect(QRect(plot.left() + x - (pen - 1) / 2, y0, pen, std::max(1, y1 - y0)), colour);
            }
            continue;
        }
        p.drawPolyline(pts);
    }
}

void TraceView::DrawLive(QPainter& p, const QRect& plot) {
    const auto& live = logic_.Live();
    if (live.empty()) return;
    const double span = kDivX * logic_.SecDiv() * 1000;
    const double start = live.back().TimeMs - span;
    startMs_ = start;
    spanMs_ = span;
    QPolygonF pts;
    for (int c = 0; c < view::kChannels; ++c) {
        if (!logic_.Checked()[static_cast<std::size_t>(c)]) continue;
        const auto& cs = logic_.Settings().channels[static_cast<std::size_t>(c)];
        p.setPen(QPen(TraceColour(cs), cs.setting));
        pts.clear();
        for (const auto& r : live) {
            if (r.TimeMs < start) continue;
            pts << QPointF(plot.left() + (r.TimeMs - start) * plot.width() / span,
                           Y(c, view::ChannelValue(r, c, logic_.Injector()), plot));
        }
        p.drawPolyline(pts);
    }
}

void TraceView::DrawCursor(QPainter& p, const QRect& plot) {
    if (cursorX_ < plot.left() || cursorX_ > plot.right()) return;
    const double t = startMs_ + (cursorX_ - plot.left()) * spanMs_ / std::max(1, plot.width());
    // The sample at the cursor: the last one not after it.
    std::optional<view::SampleRecord> r;
    double origin = 0;
    if (logic_.Recording()) {
        const auto& live = logic_.Live();
        if (!live.empty()) origin = live.front().TimeMs;
        for (auto it = live.rbegin(); it != live.rend(); ++it)
            if (it->TimeMs <= t) {
                r = *it;
                break;
            }
    } else {
        const auto& set = logic_.Shown().set;
        const std::size_t i = IndexAt(set.samples, t);
        origin = set.FirstMs();
        if (i < set.samples.size() && set.samples[i].timeMs == t) r = view::DecodeSample(set.samples[i], set.constants, logic_.Scales());
        else if (i > 0) r = view::DecodeSample(set.samples[i - 1], set.constants, logic_.Scales());
    }
    p.setPen(QPen(QColor(230, 230, 230), 1, Qt::DashLine));
    p.drawLine(cursorX_, plot.top(), cursorX_, plot.bottom());
    QStringList lines;
    lines << ToQ(view::TimeLabel(t - origin, r.has_value()));
    if (r) {
        for (int c = 0; c < view::kChannels; ++c) {
            if (!logic_.Checked()[static_cast<std::size_t>(c)]) continue;
            lines << QString("%1: %2 %3")
                         .arg(view::kChannelCaptions[static_cast<std::size_t>(c)])
                         .arg(ToQ(view::GeneralNumber(std::round(view::ChannelValue(*r, c, logic_.Injector()) * 1000) / 1000,
                                                      '.')))
                         .arg(view::kChannelUnits[static_cast<std::size_t>(c)]);
        }
    }
    const QFontMetrics fm = p.fontMetrics();
    int width = 0;
    for (const auto& l : lines) width = std::max(width, fm.horizontalAdvance(l));
    const int height = fm.height() * static_cast<int>(lines.size()) + 6;
    int left = cursorX_ + 8;
    if (left + width + 8 > plot.right()) left = cursorX_ - width - 16;
    const QRect box(left, plot.top() + 6, width + 8, height);
    p.fillRect(box, QColor(20, 20, 20, 220));
    p.setPen(QColor(90, 90, 90));
    p.drawRect(box);
    for (int i = 0; i < lines.size(); ++i) {
        QColor colour(230, 230, 230);
        if (i > 0) {
            int k = 0;
            for (int c = 0; c < view::kChannels; ++c)
                if (logic_.Checked()[static_cast<std::size_t>(c)] && ++k == i)
                    colour = TraceColour(logic_.Settings().channels[static_cast<std::size_t>(c)]);
        }
        p.setPen(colour);
        p.drawText(box.left() + 4, box.top() + 3 + fm.ascent() + i * fm.height(), lines[i]);
    }
}

void TraceView::ZoomAround(double factor, double atMs) {
    const double span = std::clamp(spanMs_ * factor, kMinSpanMs, 1e12);
    SetSpan(atMs - (atMs - startMs_) * span / spanMs_, span);
}

void TraceView::wheelEvent(QWheelEvent* e) {
    if (logic_.Recording()) return;
    const QRect plot = PlotRect(rect());
    const double at = startMs_ + (e->position().x() - plot.left()) * spanMs_ / std::max(1, plot.width());
    ZoomAround(std::pow(0.8, e->angleDelta().y() / 120.0), at);
    e->accept();
}

void TraceView::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || logic_.Recording()) return;
    dragging_ = true;
    dragX_ = static_cast<int>(e->position().x());
    dragStartMs_ = startMs_;
    setCursor(Qt::ClosedHandCursor);
}

void TraceView::mouseMoveEvent(QMouseEvent* e) {
    const int x = static_cast<int>(e->position().x());
    if (dragging_) SetSpan(dragStartMs_ - (x - dragX_) * spanMs_ / std::max(1, PlotRect(rect()).width()), spanMs_);
    SetCursorX(x);
}

void TraceView::mouseReleaseEvent(QMouseEvent*) {
    dragging_ = false;
    unsetCursor();
}

void TraceView::leaveEvent(QEvent*) { SetCursorX(-1); }

void TraceView::keyPressEvent(QKeyEvent* e) {
    if (logic_.Recording()) return QWidget::keyPressEvent(e);
    const auto& set = logic_.Shown().set;
    switch (e->key()) {
        case Qt::Key_Left: SetSpan(startMs_ - spanMs_ / kDivX, spanMs_); break;
        case Qt::Key_Right: SetSpan(startMs_ + spanMs_ / kDivX, spanMs_); break;
        case Qt::Key_Plus: case Qt::Key_Equal: ZoomAround(0.5, startMs_ + spanMs_ / 2); break;
        case Qt::Key_Minus: ZoomAround(2, startMs_ + spanMs_ / 2); break;
        case Qt::Key_Home: SetSpan(set.FirstMs(), spanMs_); break;
        case Qt::Key_End: SetSpan(set.LastMs() - spanMs_, spanMs_); break;
        default: QWidget::keyPressEvent(e); return;
    }
    e->accept();
}

}  // namespace gw
