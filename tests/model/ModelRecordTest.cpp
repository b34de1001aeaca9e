#include <gtest/gtest.h>

#include <cmath>

#include "model/ModelRecord.h"

using namespace gw;

namespace {

TEST(ModelRecord, DefaultPlacesAreWholeTableSteps) {
    const double steps[kModelPoints] = {0, 30, 63, 94, 125, 157, 185};
    for (int i = 0; i < kModelPoints; ++i) {
        EXPECT_NEAR(kModelDefaultPlaces[i] / 0.128, steps[i], 1e-5) << i;
    }
    EXPECT_EQ(kModelDefaultPlaces[1], 3.84f);
    EXPECT_EQ(kModelDefaultPlaces[5], 20.096f);
    EXPECT_EQ(kModelDefaultPlaces[6], 23.68f);
}

TEST(ModelRecord, DefaultArrangementResetsEveryField) {
    ModelRecord m;
    m.Alfa = 1.37f;
    m.Offset = 0.416f;
    for (auto& p : m.points) {
        p.X = 7;
        p.Y = 9;
        p.DefaultPlace = 1;
        p.Shift = 0.256f;
        p.Enrich = -0.104f;
    }
    DisponiMatriceModDefault(m);
    EXPECT_EQ(m.Alfa, 1.0f);
    EXPECT_EQ(m.Offset, 0.0f);
    for (int i = 0; i < kModelPoints; ++i) {
        const ModelPoint& p = m.points[i];
        EXPECT_EQ(p.DefaultPlace, kModelDefaultPlaces[i]) << i;
        EXPECT_EQ(p.X, kModelDefaultPlaces[i]) << i;
        EXPECT_EQ(p.Y, p.X) << i;  // X + Offset with Offset 0
        EXPECT_EQ(p.Shift, 0.0f) << i;
        EXPECT_EQ(p.Enrich, 0.0f) << i;
    }
    // A new record starts in the same arrangement.
    EXPECT_EQ(ModelRecord{}, m);
}

}  // namespace
