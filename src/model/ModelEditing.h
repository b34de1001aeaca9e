// ModelEditing: the editing rules of the gas injection model as pure functions on the model
// record: the recompute of the points from the line and the enrichments, the arrangement on
// the line, the spacing rule, the line-end rule and the steps of the eight edit buttons.
// Not here: which point is selected, the repeat of a held button, drawing, or when the
// correction table is written (ModelPage and CorTableWrite).
#pragma once

#include "model/ModelRecord.h"

namespace gw {

// The model page's steps, single precision as the record keeps them.
inline constexpr float kModelPlaceStep = 0.128f;   // one table step along the petrol axis
inline constexpr float kModelEnrichStep = 0.104f;  // enrichment and offset step
inline constexpr float kModelAlfaStep = 0.01f;     // slope step
// The plot's extent and the clamps of the rules: 0-20 ms across, 0-31 ms up.
inline constexpr float kModelXMax = 300.0f / 15.0f;
inline constexpr float kModelYMax = 465.0f / 15.0f;
// Petrol time where the line's end is checked against kModelYMax (the last table entry's).
inline constexpr double kModelLineEndMs = 20.096;
// Closest two neighbouring places may be (they must be further apart than this).
inline constexpr double kModelMinSpacingMs = 0.256;
inline constexpr int kSpacingMaxPasses = 101;
// Slope limits of the slope buttons: raised only from at most kAlfaUpLimit, lowered only
// from at least kAlfaDownLimit.
inline constexpr double kAlfaUpLimit = 1.99;
inline constexpr double kAlfaDownLimit = 0.01;

// Points 0-5: X = default place + shift, Y = Alfa x X + enrichment + Offset. Point 6 keeps
// what the last arrangement gave it.
void RecomputeModel(ModelRecord& model);

// Every point back on the line: default places, no shift, Y = X, no enrichment; Alfa and
// Offset keep their values.
void DisponiPuntiSuLineaMod(ModelRecord& model);

// Up to kSpacingMaxPasses passes, each: recompute; push a point (1-4) right that is within
// 0.256 ms of its left neighbour and left when within 0.256 ms of its right one (both by
// 0.128 ms, judged on the places at the start of the pass); raise by 0.104 ms the enrichment
// of a point (0-5) whose gas time is below 0, lower it when above kModelYMax. Stops after the
// first pass that changes nothing. Ends with a recompute. Returns the passes that changed
// something.
int ApplySpacingRule(ModelRecord& model);

// What the line-end rule lowers when the line's end (Alfa x 20.096 + Offset) is above
// kModelYMax: the value the step just raised.
enum class LineEndLowers { Offset, Alfa };
// One lowering at most; true when it lowered.
bool ApplyLineEndRule(ModelRecord& model, LineEndLowers what);

enum class ModelButton { Left, Right, Up, Down, AlfaUp, AlfaDown, OffsetUp, OffsetDown };
inline constexpr int kModelButtons = 8;

// The four line buttons act on the whole line (and select every point); the others on the
// selected point.
constexpr bool IsLineButton(ModelButton b) {
    return b == ModelButton::AlfaUp || b == ModelButton::AlfaDown || b == ModelButton::OffsetUp ||
           b == ModelButton::OffsetDown;
}

struct ModelStep {
    bool applies = false;     // the button acts with this selection (line buttons always do)
    bool endsRepeat = false;  // a held button stops repeating (Offset already at its top)
};

// One step of a button, with its rules:
//   Left / Right   selected point 1-4: shift -/+ 0.128 ms
//   Up / Down      selected point 1-5: enrichment +/- 0.104 ms
//   AlfaUp         Alfa + 0.01 while Alfa <= 1.99, then the line-end rule (lowering Alfa)
//   AlfaDown       Alfa - 0.01 while Alfa >= 0.01, then the line-end rule (lowering Alfa)
//   OffsetUp       Offset + 0.104 while Offset < kModelYMax (else the repeat ends), then the
//                  line-end rule (lowering Offset)
//   OffsetDown     Offset - 0.104 while Offset > 0.104, else Offset = 0
// then the spacing rule. A point button with no point, or another point, selected (-1 for
// none) changes nothing.
ModelStep StepModelButton(ModelRecord& model, ModelButton button, int selectedPoint);

}  // namespace gw
