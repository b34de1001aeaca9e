#include "model/ModelFromTable.h"

#include <cmath>
#include <cstddef>

#include "model/CorrectionTables.h"

namespace gw {

namespace {

constexpr int kPlacedPoints = 6;           // points 0 ... 5 have their places in the table
constexpr double kLastComputedMs = 20.096;  // petrol time of entry 157
constexpr double kPlaceTolerance = 1e-4;    // ms; float places against table steps
constexpr double kMaxPlaceMs = 23.68;       // the last default place
constexpr double kMaxAlfa = 2.0;
constexpr double kMaxOffsetMs = 31.0;       // the model plot's height

double StepTime(int k) { return Round3(k * kCorTableStepMs); }

// A model the table's places, Alfa and Offset can be: finite numbers, places from 0 up, each at
// least one table step beyond the one before, none past the last default place.
bool UsableModelEntries(const ModelRecord& m) {
    if (!std::isfinite(m.Alfa) || !std::isfinite(m.Offset)) return false;
    if (m.Alfa < 0 || m.Alfa > kMaxAlfa + 1e-6 || std::fabs(m.Offset) > kMaxOffsetMs) return false;
    for (int i = 0; i < kPlacedPoints; ++i) {
        const double x = m.points[static_cast<std::size_t>(i)].X;
        if (!std::isfinite(x) || x < 0 || x > kMaxPlaceMs + kPlaceTolerance) return false;
        if (i > 0 && x - m.points[static_cast<std::size_t>(i - 1)].X < kCorTableStepMs - kPlaceTolerance) return false;
    }
    return true;
}

// Gas time of point i (0-4) from the first entries of the segment it starts: the entry at its
// place when it lies on a table step, else the segment's line carried back to the place.
double GasTimeAtSegmentStart(const TimeTable& table, double x, double nextX) {
    int first = -1, second = -1;
    for (int k = 0; k < kCorTableTimeEntries; ++k) {
        const double t = StepTime(k);
        if (t + kPlaceTolerance < x) continue;
        if (t + kPlaceTolerance >= nextX) break;
        if (first < 0) {
            first = k;
        } else {
            second = k;
            break;
        }
    }
    if (first < 0) return x;  // a segment with no entry: nothing to follow, no correction
    const double ta = StepTime(first), ea = table[static_cast<std::size_t>(first)];
    double slope = 0;
    if (second >= 0) slope = (table[static_cast<std::size_t>(second)] - ea) / (StepTime(second) - ta);
    return x + ea - slope * (ta - x);
}

}  // namespace

ModelFit RebuildModelFromTable(const TimeTable& table, ModelRecord& model) {
    ModelRecord m = model;
    for (int i = 0; i < kModelPoints; ++i) m.points[static_cast<std::size_t>(i)].DefaultPlace = kModelDefaultPlaces[static_cast<std::size_t>(i)];
    TableToModel(table, m);
    if (!UsableModelEntries(m)) {
        DisponiMatriceModDefault(model);
        return ModelFit::Unusable;
    }

    auto& p = m.points;
    double y[kPlacedPoints] = {};
    for (int i = 0; i + 1 < kPlacedPoints; ++i)
        y[i] = GasTimeAtSegmentStart(table, p[static_cast<std::size_t>(i)].X, p[static_cast<std::size_t>(i + 1)].X);
    // Point 5 through entry 157, which the table computes as (Y5 - X5 - Offset) / (X5 - X4)
    // x (20.096 - X4) + Offset.
    {
        const double x4 = p[4].X, x5 = p[5].X, offset = m.Offset;
        const double e = table[kCorTableLastComputed];
        const double b = kLastComputedMs - x4;
        y[5] = std::fabs(b) > kPlaceTolerance ? (e - offset) * (x5 - x4) / b + x5 + offset : x5 + e;
    }
    for (int i = 0; i < kPlacedPoints; ++i) {
        ModelPoint& pt = p[static_cast<std::size_t>(i)];
        pt.Shift = pt.X - pt.DefaultPlace;
        pt.Enrich = static_cast<float>(y[i] - static_cast<double>(m.Alfa) * pt.X - m.Offset);
        pt.Y = m.Alfa * pt.X + pt.Enrich + m.Offset;  // as the model page recomputes it
    }
    model = m;

    // Exact when the model gives the table back from point 0's place on.
    TimeTable again = table;
    ModelToTable(again, model);
    for (int k = 0; k < kTimeTableSize; ++k) {
        if (k < kCorTableTimeEntries && StepTime(k) + kPlaceTolerance < p[0].X) continue;
        if (std::fabs(again[static_cast<std::size_t>(k)] - table[static_cast<std::size_t>(k)]) > 0.0005 + 1e-9)
            return ModelFit::Inexact;
    }
    return ModelFit::Exact;
}

}  // namespace gw
