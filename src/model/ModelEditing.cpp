#include "model/ModelEditing.h"

#include <cstddef>

namespace gw {

namespace {

constexpr int kRecomputedPoints = 6;  // points 0-5 follow the line; point 6 does not
constexpr int kFirstMovable = 1, kLastMovable = 4;
constexpr int kFirstRaisable = 1, kLastRaisable = 5;

ModelPoint& Pt(ModelRecord& m, int i) { return m.points[static_cast<std::size_t>(i)]; }

double LineEnd(const ModelRecord& m) { return static_cast<double>(m.Alfa) * kModelLineEndMs + m.Offset; }

}  // namespace

void RecomputeModel(ModelRecord& model) {
    for (int i = 0; i < kRecomputedPoints; ++i) {
        ModelPoint& p = Pt(model, i);
        p.X = p.DefaultPlace + p.Shift;
        p.Y = model.Alfa * p.X + p.Enrich + model.Offset;
    }
}

void DisponiPuntiSuLineaMod(ModelRecord& model) {
    for (int i = 0; i < kModelPoints; ++i) {
        ModelPoint& p = Pt(model, i);
        p.DefaultPlace = kModelDefaultPlaces[static_cast<std::size_t>(i)];
        p.Shift = 0;
        p.X = p.DefaultPlace;
        p.Y = p.X;
        p.Enrich = 0;
    }
}

int ApplySpacingRule(ModelRecord& model) {
    int changedPasses = 0;
    for (int pass = 0; pass < kSpacingMaxPasses; ++pass) {
        RecomputeModel(model);
        float x[kModelPoints];
        for (int i = 0; i < kModelPoints; ++i) x[i] = Pt(model, i).X;
        bool changed = false;
        for (int k = kFirstMovable; k <= kLastMovable; ++k) {
            if (static_cast<double>(x[k - 1]) + kModelMinSpacingMs >= x[k]) {
                Pt(model, k).Shift += kModelPlaceStep;
                changed = true;
            }
        }
        for (int k = kFirstMovable; k <= kLastMovable; ++k) {
            if (static_cast<double>(x[k + 1]) - kModelMinSpacingMs <= x[k]) {
                Pt(model, k).Shift -= kModelPlaceStep;
                changed = true;
            }
        }
        for (int j = 0; j < kRecomputedPoints; ++j) {
            ModelPoint& p = Pt(model, j);
            if (p.Y < 0) {
                p.Enrich += kModelEnrichStep;
                changed = true;
            } else if (p.Y > kModelYMax) {
                p.Enrich -= kModelEnrichStep;
                changed = true;
            }
        }
        if (!changed) break;
        ++changedPasses;
    }
    RecomputeModel(model);
    return changedPasses;
}

bool ApplyLineEndRule(ModelRecord& model, LineEndLowers what) {
    if (LineEnd(model) <= kModelYMax) return false;
    if (what == LineEndLowers::Offset)
        model.Offset -= kModelEnrichStep;
    else
        model.Alfa -= kModelAlfaStep;
    return true;
}

ModelStep StepModelButton(ModelRecord& model, ModelButton button, int selectedPoint) {
    ModelStep step;
    const bool movable = selectedPoint >= kFirstMovable && selectedPoint <= kLastMovable;
    const bool raisable = selectedPoint >= kFirstRaisable && selectedPoint <= kLastRaisable;
    switch (button) {
        case ModelButton::Left:
        case ModelButton::Right:
            if (!movable) return step;
            Pt(model, selectedPoint).Shift += button == ModelButton::Right ? kModelPlaceStep : -kModelPlaceStep;
            break;
        case ModelButton::Up:
        case ModelButton::Down:
            if (!raisable) return step;
            Pt(model, selectedPoint).Enrich += button == ModelButton::Up ? kModelEnrichStep : -kModelEnrichStep;
            break;
        case ModelButton::AlfaUp:
            if (model.Alfa <= kAlfaUpLimit) model.Alfa += kModelAlfaStep;
            ApplyLineEndRule(model, LineEndLowers::Alfa);
            break;
        case ModelButton::AlfaDown:
            if (model.Alfa >= kAlfaDownLimit) model.Alfa -= kModelAlfaStep;
            ApplyLineEndRule(model, LineEndLowers::Alfa);
            break;
        case ModelButton::OffsetUp:
            if (model.Offset < kModelYMax)
                model.Offset += kModelEnrichStep;
            else
                step.endsRepeat = true;
            ApplyLineEndRule(model, LineEndLowers::Offset);
            break;
        case ModelButton::OffsetDown:
            if (model.Offset > kModelEnrichStep)
                model.Offset -= kModelEnrichStep;
            else
                model.Offset = 0;
            break;
    }
    step.applies = true;
    ApplySpacingRule(model);
    return step;
}

}  // namespace gw
