#include "ui/MapPlot.h"

#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace gw {

namespace {

const QColor kBack(250, 250, 246);
const QColor kGrid(214, 214, 206);
const QColor kAxis(90, 90, 90);
const QColor kPetrol(214, 48, 39);
const QColor kGas(33, 102, 172);

void PetrolMarker(QPainter& p, QPointF c, double r) {
    p.setPen(QPen(kPetrol.darker(130), 1.0));
    p.setBrush(kPetrol);
    p.drawEllipse(c, r, r);
}

void GasMarker(QPainter& p, QPointF c, double r) {
    p.setPen(QPen(kGas.darker(130), 1.0));
    p.setBrush(kGas);
    p.drawRect(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r));
}

}  // namespace

MapPlot::MapPlot(QWidget* parent) : QWidget(parent) {
    setObjectName("FrmMap");
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void MapPlot::SetSamples(const MapRecord& samples) {
    samples_ = samples;
    update();
}

void MapPlot::SetLegend(const QString& petrol, const QString& gas) {
    petrolText_ = petrol;
    gasText_ = gas;
    update();
}

void MapPlot::SetAxisTexts(const QString& vacuum, const QString& time) {
    vacuumText_ = vacuum;
    timeText_ = time;
    update();
}

void MapPlot::SetCurrentPoint(double vacuum, double timeMs) {
    if (vacuum == currentVacuum_ && timeMs == currentTime_) return;
    currentVacuum_ = vacuum;
    currentTime_ = timeMs;
    update();
}

QRectF MapPlot::Area() const {
    const QFontMetricsF fm(font());
    const double left = fm.horizontalAdvance("32") + fm.height() * 1.6;
    const double bottom = fm.height() * 2.6;
    const double top = fm.height() * 2.2;  // the legend
    const double right = fm.horizontalAdvance("0,0") * 0.8 + 6;
    return QRectF(left, top, std::max(10.0, width() - left - right), std::max(10.0, height() - top - bottom));
}

QPointF MapPlot::Place(double vacuum, double timeMs) const {
    const QRectF a = Area();
    const double x = std::clamp(vacuum, 0.0, kMaxVacuum) / kMaxVacuum;
    const double y = std::clamp(timeMs, 0.0, kMaxTime) / kMaxTime;
    return {a.left() + x * a.width(), a.bottom() - y * a.height()};
}

void MapPlot::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), palette().window());
    const QRectF a = Area();
    p.fillRect(a, kBack);
    const QFontMetricsF fm(font());

    // Grid: every 0.1 bar across, every 4 ms up; labels beside the axes.
    p.setPen(QPen(kGrid, 1.0));
    for (int i = 0; i <= 10; ++i) {
        const double x = a.left() + a.width() * i / 10.0;
        p.drawLine(QPointF(x, a.top()), QPointF(x, a.bottom()));
    }
    for (int ms = 0; ms <= 32; ms += 4) {
        const double y = a.bottom() - a.height() * ms / kMaxTime;
        p.drawLine(QPointF(a.left(), y), QPointF(a.right(), y));
    }
    p.setPen(kAxis);
    for (int i = 0; i <= 10; ++i) {
        const double x = a.left() + a.width() * i / 10.0;
        const QString t = QLocale().toString(i / 10.0, 'f', 1);
        p.drawText(QRectF(x - 30, a.bottom() + 2, 60, fm.height()), Qt::AlignHCenter | Qt::AlignTop, t);
    }
    for (int ms = 0; ms <= 32; ms += 4) {
        const double y = a.bottom() - a.height() * ms / kMaxTime;
        p.drawText(QRectF(0, y - fm.height() / 2, a.left() - 4, fm.height()), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(ms));
    }
    p.drawRect(a);
    p.drawText(QRectF(a.left(), a.bottom() + fm.height() * 1.2, a.width(), fm.height() * 1.2), Qt::AlignHCenter,
               vacuumText_);
    p.save();
    p.translate(fm.height() * 0.2, a.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-a.height() / 2, 0, a.height(), fm.height()), Qt::AlignHCenter | Qt::AlignTop, timeText_);
    p.restore();

    // Markers: every slot with a vacuum; gas first, petrol on top.
    const double r = std::max(3.0, std::min(a.width(), a.height()) / 110.0);
    p.setClipRect(a.adjusted(-r, -r, r, r));
    gasMarkers_ = petrolMarkers_ = 0;
    for (int i = 0; i < kMapUsedSlots; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (samples_.GasVacuum[k] > 0) {
            GasMarker(p, Place(samples_.GasVacuum[k], samples_.GasTime[k]), r);
            ++gasMarkers_;
        }
    }
    for (int i = 0; i < kMapUsedSlots; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (samples_.PetrolVacuum[k] > 0) {
            PetrolMarker(p, Place(samples_.PetrolVacuum[k], samples_.PetrolTime[k]), r);
            ++petrolMarkers_;
        }
    }
    if (currentVacuum_ >= 0) {
        const QPointF c = Place(currentVacuum_, currentTime_);
        p.setPen(QPen(kAxis, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(c, 2.2 * r, 2.2 * r);
        p.drawLine(QPointF(c.x() - 3.2 * r, c.y()), QPointF(c.x() + 3.2 * r, c.y()));
        p.drawLine(QPointF(c.x(), c.y() - 3.2 * r), QPointF(c.x(), c.y() + 3.2 * r));
    }
    p.setClipping(false);

    // Legend above the plot, at its right.
    p.setPen(kAxis);
    const double ly = a.top() - fm.height() * 1.1;
    const double wPet = fm.horizontalAdvance(petrolText_), wGas = fm.horizontalAdvance(gasText_);
    double x = a.right() - (wPet + wGas + 6 * r + fm.height() * 1.5);
    PetrolMarker(p, QPointF(x + r, ly), r);
    p.setPen(kAxis);
    p.drawText(QPointF(x + 2 * r, ly + fm.ascent() / 2 - 1), petrolText_);
    x += 2 * r + wPet + fm.height() * 1.5;
    GasMarker(p, QPointF(x + r, ly), r);
    p.setPen(kAxis);
    p.drawText(QPointF(x + 2 * r, ly + fm.ascent() / 2 - 1), gasText_);
}

}  // namespace gw
