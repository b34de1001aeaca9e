#include "ui/ModelPlot.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <algorithm>
#include <cmath>

#include "app/Colours.h"
#include "model/CorrectionTables.h"
#include "ui/QtText.h"
#include "util/Numbers.h"

namespace gw {

namespace {

const QColor kGridMinor(232, 232, 232);
const QColor kGridMajor(200, 200, 200);
const QColor kAxis(110, 110, 110);
const QColor kModelLine(0, 70, 170);
const QColor kReference(120, 120, 120);
const QColor kTrail(0, 150, 60);
const QColor kIdleMarker(0, 120, 0);
const QColor kLoadMarker(190, 0, 170);
const QColor kMapPair(230, 120, 0);
const QColor kSelected = ColorOf(kColYellow);   // a selected point's label
const QColor kUnselected = ColorOf(kColRed);    // the others

constexpr double kXSpan = kModelXMax;  // the plot spans 0-20 ms across
constexpr double kYSpan = kModelYMax;  // and 0-31 ms up

QPointF Limited(const QPointF& p) {
    return {std::clamp(p.x(), 0.0, static_cast<double>(kModelXMax)), std::clamp(p.y(), 0.0, static_cast<double>(kModelYMax))};
}

void Diamond(QPainter& p, const QPointF& c, double r, const QColor& fill) {
    QPainterPath path;
    path.moveTo(c.x(), c.y() - r);
    path.lineTo(c.x() + r, c.y());
    path.lineTo(c.x(), c.y() + r);
    path.lineTo(c.x() - r, c.y());
    path.closeSubpath();
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(fill);
    p.drawPath(path);
}

}  // namespace

// ---- ModelPlot ----

ModelPlot::ModelPlot(ModelPageLogic& logic, QWidget* parent) : QWidget(parent), logic_(logic) {
    setObjectName("FrmMod");
    setFocusPolicy(Qt::ClickFocus);
    setMouseTracking(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void ModelPlot::SetIdleMarker(std::optional<QPointF> p) {
    idle_ = p;
    update();
}

void ModelPlot::SetLoadMarker(std::optional<QPointF> p) {
    load_ = p;
    update();
}

void ModelPlot::SetMapPairs(std::vector<QPointF> pairs) {
    mapPairs_ = std::move(pairs);
    update();
}

void ModelPlot::SetTexts(const QString& petrolAxis, const QString& gasAxis, const QString& trailLegend,
                         const QString& hint) {
    petrolAxis_ = petrolAxis;
    gasAxis_ = gasAxis;
    trailLegend_ = trailLegend;
    hint_ = hint;
    update();
}

QRectF ModelPlot::PlotRect() const {
    const QFontMetricsF fm(font());
    const double left = fm.horizontalAdvance("30") + 12;
    const double top = fm.height() + 8;
    const double bottom = fm.height() + 10;
    const double right = fm.horizontalAdvance("P5") + 10;  // point 5 stands just past 20 ms
    return QRectF(left, top, std::max(10.0, width() - left - right), std::max(10.0, height() - top - bottom));
}

QPointF ModelPlot::ToWidget(double x, double y) const {
    const QRectF r = PlotRect();
    return {r.left() + x / kXSpan * r.width(), r.bottom() - y / kYSpan * r.height()};
}

QPointF ModelPlot::ToModel(const QPointF& w) const {
    const QRectF r = PlotRect();
    return {(w.x() - r.left()) / r.width() * kXSpan, (r.bottom() - w.y()) / r.height() * kYSpan};
}

QRectF ModelPlot::LabelRect(int point) const {
    const ModelPoint& p = logic_.Model().points[static_cast<std::size_t>(point)];
    const QFontMetricsF fm(font());
    const double w = fm.horizontalAdvance(QString::number(point)) + 10, h = fm.height() + 2;
    const QPointF c = ToWidget(p.X, p.Y);
    return QRectF(c.x() - w / 2, c.y() - h / 2, w, h);
}

int ModelPlot::PointAt(const QPointF& w) const {
    // The topmost label wins: labels are drawn from 0 to 6.
    for (int i = kModelPoints - 1; i >= 0; --i)
        if (LabelRect(i).adjusted(-3, -3, 3, 3).contains(w)) return i;
    return -1;
}

void ModelPlot::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.fillRect(rect(), palette().window());
    const QRectF r = PlotRect();
    p.fillRect(r, Qt::white);
    const QFontMetricsF fm(font());

    // Grid: a line every ms, stronger every 2 ms across and 5 ms up, labelled in ms.
    for (int x = 0; x <= static_cast<int>(kXSpan); ++x) {
        const double px = ToWidget(x, 0).x();
        p.setPen(QPen(x % 2 == 0 ? kGridMajor : kGridMinor, 1));
        p.drawLine(QPointF(px, r.top()), QPointF(px, r.bottom()));
        if (x % 2 == 0) {
            const QString t = QString::number(x);
            p.setPen(kAxis);
            p.drawText(QPointF(px - fm.horizontalAdvance(t) / 2, r.bottom() + fm.ascent() + 3), t);
        }
    }
    for (int y = 0; y <= static_cast<int>(kYSpan); ++y) {
        const double py = ToWidget(0, y).y();
        p.setPen(QPen(y % 5 == 0 ? kGridMajor : kGridMinor, 1));
        p.drawLine(QPointF(r.left(), py), QPointF(r.right(), py));
        if (y % 5 == 0) {
            const QString t = QString::number(y);
            p.setPen(kAxis);
            p.drawText(QPointF(r.left() - fm.horizontalAdvance(t) - 5, py + fm.ascent() / 2 - 1), t);
        }
    }
    p.setPen(QPen(kAxis, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r);
    p.drawText(QPointF(r.left(), r.top() - 5), gasAxis_);
    p.drawText(QPointF(r.right() - fm.horizontalAdvance(petrolAxis_) - 4, r.bottom() - 5), petrolAxis_);

    // What lies past the plot's right edge (points 5 and 6) is cut at the widget's edge; the
    // labels of points on the axes keep their edges.
    p.save();
    p.setClipRect(QRectF(r.left() - 12, r.top() - 12, width() - r.left() + 12, r.height() + 24));

    // The reference line.
    const auto ref = logic_.ReferenceLine();
    p.setPen(QPen(kReference, 1.2, Qt::DashLine));
    p.drawLine(ToWidget(ref[0], ref[1]), ToWidget(ref[2], ref[3]));

    // The map's pairs, then the model's polyline.
    p.setPen(QPen(kMapPair, 1.5));
    for (const QPointF& m : mapPairs_) {
        const QPointF c = ToWidget(Limited(m).x(), Limited(m).y());
        p.drawLine(c + QPointF(-3, -3), c + QPointF(3, 3));
        p.drawLine(c + QPointF(-3, 3), c + QPointF(3, -3));
    }
    QPolygonF line;
    for (const ModelPoint& pt : logic_.Model().points) line << ToWidget(pt.X, pt.Y);
    p.setPen(QPen(kModelLine, 2));
    p.drawPolyline(line);

    // The live trail, older markers fainter.
    const auto trail = logic_.Trail();
    for (std::size_t i = 0; i < trail.size(); ++i) {
        QColor c = kTrail;
        c.setAlphaF(0.25 + 0.75 * static_cast<double>(i + 1) / static_cast<double>(trail.size()));
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        const bool newest = i + 1 == trail.size();
        const double radius = newest ? 5 : 3.5;
        p.drawEllipse(ToWidget(trail[i].first, trail[i].second), radius, radius);
        if (newest) {
            p.setPen(QPen(Qt::black, 1));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(ToWidget(trail[i].first, trail[i].second), radius, radius);
        }
    }
    if (idle_) Diamond(p, ToWidget(Limited(*idle_).x(), Limited(*idle_).y()), 6, kIdleMarker);
    if (load_) Diamond(p, ToWidget(Limited(*load_).x(), Limited(*load_).y()), 6, kLoadMarker);

    // The point labels.
    for (int i = 0; i < kModelPoints; ++i) {
        const QRectF lr = LabelRect(i);
        const bool sel = logic_.LabelSelected(i);
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(sel ? kSelected : kUnselected);
        p.drawRoundedRect(lr, 3, 3);
        p.setPen(sel ? Qt::black : Qt::white);
        p.drawText(lr, Qt::AlignCenter, QString::number(i));
    }
    p.restore();

    // The trail's legend.
    if (!trailLegend_.isEmpty()) {
        const QPointF at(r.left() + 14, r.top() + fm.height());
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(at.x() - 8, at.y() - fm.ascent() - 2, fm.horizontalAdvance(trailLegend_) + 22, fm.height() + 3));
        p.setBrush(kTrail);
        p.drawEllipse(at + QPointF(0, -fm.ascent() / 2 + 1), 4, 4);
        p.setPen(kAxis);
        p.drawText(at + QPointF(9, 0), trailLegend_);
    }
}

void ModelPlot::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return QWidget::mousePressEvent(e);
    const int n = PointAt(e->position());
    if (n < 0) return;
    if (!logic_.BeginDrag(n)) logic_.SelectPoint(n);
}

void ModelPlot::mouseMoveEvent(QMouseEvent* e) {
    if (!logic_.Dragging()) return;
    const QPointF m = ToModel(e->position());
    logic_.DragTo(m.x(), m.y());
}

void ModelPlot::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) logic_.EndDrag();
}

bool ModelPlot::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        const int n = PointAt(help->pos());
        const QString tip = n >= 0 ? ToQ(logic_.PointTip(n)) : hint_;
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, this);
        return true;
    }
    return QWidget::event(e);
}

// ---- CorTableStrip ----

CorTableStrip::CorTableStrip(ModelPageLogic& logic, QWidget* parent) : QWidget(parent), logic_(logic) {
    setObjectName("CorTableStrip");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setMinimumHeight(90);
}

void CorTableStrip::SetCaption(const QString& caption) {
    caption_ = caption;
    update();
}

void CorTableStrip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.fillRect(rect(), palette().window());
    const QFontMetricsF fm(font());
    const TimeTable t = logic_.TableToWrite();

    double lo = 0, hi = 0;
    for (int k = 0; k < kCorTableTimeEntries; ++k) {
        lo = std::min(lo, t[static_cast<std::size_t>(k)]);
        hi = std::max(hi, t[static_cast<std::size_t>(k)]);
    }
    if (hi - lo < 1) {
        const double mid = (hi + lo) / 2;
        lo = mid - 0.5;
        hi = mid + 0.5;
    }
    const double left = fm.horizontalAdvance("-00,00") + 10;
    const QRectF r(left, fm.height() + 6, std::max(10.0, width() - left - 10), std::max(10.0, height() - 2 * fm.height() - 12));
    p.fillRect(r, Qt::white);
    const double xSpan = kCorTableTimeEntries * kCorTableStepMs;
    auto at = [&](double x, double y) {
        return QPointF(r.left() + x / xSpan * r.width(), r.bottom() - (y - lo) / (hi - lo) * r.height());
    };

    p.setPen(QPen(kGridMajor, 1));
    for (int x = 0; x <= static_cast<int>(xSpan); x += 4) {
        const QPointF a = at(x, lo);
        p.drawLine(a, QPointF(a.x(), r.top()));
        const QString s = QString::number(x);
        p.setPen(kAxis);
        p.drawText(QPointF(a.x() - fm.horizontalAdvance(s) / 2, r.bottom() + fm.ascent() + 3), s);
        p.setPen(QPen(kGridMajor, 1));
    }
    p.setPen(QPen(kAxis, 1, Qt::DotLine));
    p.drawLine(at(0, 0), at(xSpan, 0));
    p.setPen(QPen(kAxis, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r);
    for (double v : {lo, hi}) {
        const QString s = ToQ(FormatFixed(v, 2, 1));
        p.drawText(QPointF(r.left() - fm.horizontalAdvance(s) - 4, at(0, v).y() + fm.ascent() / 2 - 1), s);
    }

    QPolygonF curve;
    for (int k = 0; k < kCorTableTimeEntries; ++k) curve << at(k * kCorTableStepMs, t[static_cast<std::size_t>(k)]);
    p.setPen(QPen(kModelLine, 1.6));
    p.drawPolyline(curve);

    // The caption, and the entries that carry the model itself (184-191).
    p.setPen(kAxis);
    p.drawText(QPointF(r.left(), fm.ascent() + 2), caption_);
    QString model = QString("[184] %1   [185] %2   [186-191]")
                        .arg(ToQ(FormatFixed(t[kCorTableOffsetEntry], 3, 1)), ToQ(FormatFixed(t[kCorTableAlfaEntry], 2, 1)));
    for (int k = kCorTablePlaceEntry; k < kTimeTableSize; ++k)
        model += " " + ToQ(FormatFixed(t[static_cast<std::size_t>(k)], 0, 1));
    p.drawText(QPointF(r.right() - fm.horizontalAdvance(model), fm.ascent() + 2), model);
}

}  // namespace gw
