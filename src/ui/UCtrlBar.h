// UCtrlBar: the segmented bar gauge. A row of equal segments, whole pixels wide, inside a
// border; shows a value as a filled bar (modes 0 and 1) or as a single lit segment that
// moves (mode 2). It only draws: what value it shows and in which colour is decided by the
// page that owns it.
#pragma once

#include <QWidget>
#include <cstdint>
#include <vector>

namespace gw {

class UCtrlBar : public QWidget {
public:
    explicit UCtrlBar(QWidget* parent = nullptr);

    // Range, value per segment, background and segment colour (&HBBGGRR), mode.
    void Configura(int maxVal, int minVal, int stepVal, std::uint32_t backBarClr,
                   std::uint32_t foreBarClr, int modeVal);
    void SetValore(int v);
    // The lit segments counted from segment 0 up to the first dark one, times StepVal.
    int Valore() const;
    void SetForeColor(std::uint32_t c);
    std::uint32_t ForeColor() const { return fore_; }
    void SetStepBorder(int style) { stepBorder_ = style != 0; update(); }

    int MaxVal() const { return max_; }
    int MimVal() const { return min_; }
    int StepVal() const { return step_; }
    int Mode() const { return mode_; }
    int Segments() const { return static_cast<int>(lit_.size()); }
    bool SegmentLit(int i) const { return i >= 0 && i < Segments() && lit_[static_cast<size_t>(i)]; }
    // Width of one segment in pixels: the control's width over the segment count, rounded
    // half to even (recomputed when the control is resized by its layout).
    int SegmentWidthPx() const;

    QSize sizeHint() const override { return {126, 16}; }
    QSize minimumSizeHint() const override { return {42, 8}; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    int max_ = 100;
    int min_ = 0;
    int step_ = 10;
    int mode_ = 0;
    std::uint32_t back_ = 0x8000000F;
    std::uint32_t fore_ = 0;
    bool stepBorder_ = false;
    std::vector<bool> lit_ = std::vector<bool>(10, false);
};

}  // namespace gw
