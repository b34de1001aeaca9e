// MapPlot: the map page's plot, painted in one piece: the vacuum (0-1 bar) across, the
// injection time (0-32 ms) up, a labelled grid, a marker per petrol and per gas sample and
// the legend. It scales with its size and paints at the screen's pixel density. It only
// draws the record it is given.
#pragma once

#include <QString>
#include <QWidget>

#include "model/MapSamples.h"

namespace gw {

class MapPlot : public QWidget {
public:
    static constexpr double kMaxVacuum = 1000;  // mbar at the right edge
    static constexpr double kMaxTime = 32;      // ms at the top

    explicit MapPlot(QWidget* parent = nullptr);

    void SetSamples(const MapRecord& samples);
    void SetLegend(const QString& petrol, const QString& gas);
    void SetAxisTexts(const QString& vacuum, const QString& time);
    // The engine's point now (vacuum mbar, petrol ms); a negative vacuum hides it.
    void SetCurrentPoint(double vacuum, double timeMs);

    // Where a sample is drawn (widget coordinates), for a given size.
    QPointF Place(double vacuum, double timeMs) const;
    int PetrolMarkers() const { return petrolMarkers_; }
    int GasMarkers() const { return gasMarkers_; }

    QSize sizeHint() const override { return {640, 420}; }
    QSize minimumSizeHint() const override { return {320, 220}; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QRectF Area() const;

    MapRecord samples_;
    QString petrolText_ = " - Petrol", gasText_ = " - Gas";
    QString vacuumText_ = "Vacuum (bar)", timeText_ = "ms";
    double currentVacuum_ = -1, currentTime_ = 0;
    int petrolMarkers_ = 0, gasMarkers_ = 0;
};

}  // namespace gw
