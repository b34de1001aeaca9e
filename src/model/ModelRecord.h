// ModelRecord: the gas injection model of the model page: seven points along the petrol-time
// axis (place, gas time, default place, shift, enrichment) and the line (Alfa, Offset), with
// the default arrangement. Holds values only: drawing, editing and the spacing rules belong
// to the model page, the correction table built from the model to CorrectionTables.
#pragma once

#include <array>

namespace gw {

inline constexpr int kModelPoints = 7;

// One point of the model (times in ms, single precision as the model page keeps them).
struct ModelPoint {
    float X = 0;             // petrol time (place) of the point
    float Y = 0;             // gas time of the point
    float DefaultPlace = 0;  // default place of the point
    float Shift = 0;         // shift of the place from its default
    float Enrich = 0;        // enrichment of the point
    bool operator==(const ModelPoint&) const = default;
};

// Default places (ms), whole multiples of 0.128 ms: 0, 3.84, 8.064, 12.032, 16, 20.096, 23.68.
inline constexpr std::array<float, kModelPoints> kModelDefaultPlaces = {
    0.0f,
    static_cast<float>(3840.0 / 1000.0),
    static_cast<float>(8064.0 / 1000.0),
    static_cast<float>(12032.0 / 1000.0),
    16.0f,
    static_cast<float>(20096.0 / 1000.0),
    static_cast<float>(23.68),
};

// Gas time = Alfa x petrol time + enrichment + Offset. A new record holds the default
// arrangement (the one DisponiMatriceModDefault sets).
struct ModelRecord {
    std::array<ModelPoint, kModelPoints> points = [] {
        std::array<ModelPoint, kModelPoints> p{};
        for (int i = 0; i < kModelPoints; ++i) {
            p[i].DefaultPlace = kModelDefaultPlaces[i];
            p[i].X = kModelDefaultPlaces[i];
            p[i].Y = kModelDefaultPlaces[i];
        }
        return p;
    }();
    float Alfa = 1;    // slope of the line (no unit)
    float Offset = 0;  // offset of the line (ms)
    bool operator==(const ModelRecord&) const = default;
};

// Alfa = 1, Offset = 0, and for all seven points: default place, no shift, X = the default
// place, Y = X + Offset, no enrichment.
void DisponiMatriceModDefault(ModelRecord& model);

}  // namespace gw
