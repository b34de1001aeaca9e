// ModelPlot and CorTableStrip: the model page's two drawings, painted with QPainter in
// logical coordinates (sharp at any scale, antialiased). ModelPlot draws the model in its
// coordinates (0-20 ms of petrol time across, 0-31 ms of gas time up): the grid with its ms
// labels, the reference line, the polyline through the points, the point labels (yellow
// selected, red not), the live trail, the calibration markers and the map's pair markers;
// clicks and drags on a point are forwarded to the page logic. CorTableStrip draws the
// correction table a write would send. Neither holds a rule of its own.
#pragma once

#include <QPointF>
#include <QString>
#include <QWidget>
#include <optional>
#include <vector>

#include "app/ModelPageLogic.h"

namespace gw {

class ModelPlot : public QWidget {
public:
    explicit ModelPlot(ModelPageLogic& logic, QWidget* parent = nullptr);

    // The calibration markers (ShpPmin, ShpPLoad) in model coordinates; nullopt hides one.
    // Each coordinate is limited to the plot as the trail's are.
    void SetIdleMarker(std::optional<QPointF> p);
    void SetLoadMarker(std::optional<QPointF> p);
    std::optional<QPointF> IdleMarker() const { return idle_; }
    std::optional<QPointF> LoadMarker() const { return load_; }
    // The map page's (petrol, gas) pairs in model coordinates.
    void SetMapPairs(std::vector<QPointF> pairs);
    const std::vector<QPointF>& MapPairs() const { return mapPairs_; }
    // The axis titles, the trail's legend and the plot's tool tip.
    void SetTexts(const QString& petrolAxis, const QString& gasAxis, const QString& trailLegend, const QString& hint);

    // Model coordinates (ms) to the widget's and back, for the current size.
    QPointF ToWidget(double x, double y) const;
    QPointF ToModel(const QPointF& w) const;
    // The point (0-6) whose label is under the widget position, or -1.
    int PointAt(const QPointF& w) const;

    QSize minimumSizeHint() const override { return {320, 240}; }

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    bool event(QEvent* e) override;

private:
    QRectF PlotRect() const;
    QRectF LabelRect(int point) const;

    ModelPageLogic& logic_;
    std::optional<QPointF> idle_, load_;
    std::vector<QPointF> mapPairs_;
    QString petrolAxis_ = "Petrol (ms)", gasAxis_ = "Gas (ms)", trailLegend_, hint_;
};

class CorTableStrip : public QWidget {
public:
    explicit CorTableStrip(ModelPageLogic& logic, QWidget* parent = nullptr);
    void SetCaption(const QString& caption);
    QSize minimumSizeHint() const override { return {320, 90}; }
    QSize sizeHint() const override { return {600, 110}; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    ModelPageLogic& logic_;
    QString caption_ = "Correction table to be written (ms)";
};

}  // namespace gw
