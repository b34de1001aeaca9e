// TraceView: the viewer's drawing area. Draws the grid (10 x 8 divisions), every checked
// channel scaled by its zoom and moved by its offset, the time labels and a cursor that
// shows each checked channel's value and the time under the mouse. A file's traces are
// drawn from the min/max summary, one pair per pixel column, so a million samples redraw
// at once; the live buffer is drawn sample by sample. The wheel zooms time around the
// pointer, dragging pans; the keys do the same (Left/Right, +/-, Home/End).
#pragma once

#include <QWidget>

#include "viewer/ViewerLogic.h"

namespace gw {

class TraceView : public QWidget {
public:
    TraceView(view::ViewerLogic& logic, QWidget* parent = nullptr);

    // The file's whole time range, or SecDiv x 10 from its start.
    void ShowFileStart();
    // Time shown: [StartMs, StartMs + SpanMs).
    double StartMs() const { return startMs_; }
    double SpanMs() const { return spanMs_; }
    void SetSpan(double startMs, double spanMs);
    // The cursor at a pixel column (-1: none).
    void SetCursorX(int x);
    // Paints onto any paint device (the benchmark draws into an image).
    void PaintOn(QPainter& p, const QRect& area);

protected:
    void paintEvent(QPaintEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void DrawFile(QPainter& p, const QRect& plot);
    void DrawLive(QPainter& p, const QRect& plot);
    void DrawCursor(QPainter& p, const QRect& plot);
    double Y(int channel, double value, const QRect& plot) const;
    void ZoomAround(double factor, double atMs);
    QRect PlotRect(const QRect& area) const;

    view::ViewerLogic& logic_;
    double startMs_ = 0;
    double spanMs_ = 10'000;
    int cursorX_ = -1;
    bool dragging_ = false;
    int dragX_ = 0;
    double dragStartMs_ = 0;
};

}  // namespace gw
