// The model's editing rules: the eight buttons with their single-precision steps, the
// spacing rule and the line-end rule, as one table of cases from a known model; then the
// arrangement on the line.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "model/ModelEditing.h"

using namespace gw;

namespace {

struct EditCase {
    const char* name;
    std::function<void(ModelRecord&)> setup;  // from the default arrangement
    std::optional<ModelButton> button;        // none: the spacing rule alone
    int selected;
    bool applies;
    bool endsRepeat;
    // What changed; without it the model must be as before.
    std::function<void(const ModelRecord&)> check;
};

void Shift(ModelRecord& m, int i, float s) {
    m.points[i].Shift = s;
    RecomputeModel(m);
}

TEST(ModelEditing, ButtonsSpacingAndLineEndRules) {
    using B = ModelButton;
    const EditCase cases[] = {
        {"Left does not move point 5", {}, B::Left, 5, false, false, {}},
        {"Right does not move point 0", {}, B::Right, 0, false, false, {}},
        {"no selection: Up does nothing", {}, B::Up, -1, false, false, {}},
        {"every label selected (line box): Down does nothing", {}, B::Down, 6, false, false, {}},
        {"Up raises point 5's enrichment", {}, B::Up, 5, true, false,
         [](const ModelRecord& m) {
             EXPECT_EQ(m.points[5].Enrich, 0.104f);
             EXPECT_FLOAT_EQ(m.points[5].Y, 20.096f + 0.104f);
         }},
        {"Left moves point 2 one table step down the petrol axis", {}, B::Left, 2, true, false,
         [](const ModelRecord& m) {
             EXPECT_EQ(m.points[2].Shift, -0.128f);
             EXPECT_FLOAT_EQ(m.points[2].X, 7.936f);
             EXPECT_FLOAT_EQ(m.points[2].Y, 7.936f);
         }},
        {"Right moves point 4 up the axis", {}, B::Right, 4, true, false,
         [](const ModelRecord& m) { EXPECT_FLOAT_EQ(m.points[4].X, 16.128f); }},
        {"Down lowers point 3's enrichment", [](ModelRecord& m) { m.Offset = 1; RecomputeModel(m); }, B::Down, 3,
         true, false,
         [](const ModelRecord& m) {
             EXPECT_EQ(m.points[3].Enrich, -0.104f);
             EXPECT_FLOAT_EQ(m.points[3].Y, 12.032f + 1 - 0.104f);
         }},
        {"Right into the next point: the two are pushed apart",
         [](ModelRecord& m) { Shift(m, 1, 7.68f - 3.84f); }, B::Right, 1, true, false,
         [](const ModelRecord& m) {
             // Point 1 comes within 0.256 ms of point 2: both move 0.128 ms a pass until
             // they are further apart than that.
             EXPECT_GT(m.points[2].X - m.points[1].X, 0.256f);
             EXPECT_LE(m.points[2].X - m.points[1].X, 0.256f + 2 * 0.128f + 1e-5f);
             EXPECT_GE(m.points[2].X, 8.064f);
         }},
        {"two neighbours 0.128 ms apart are pushed apart in 0.128 ms steps",
         [](ModelRecord& m) { Shift(m, 2, 3.968f - 8.064f); }, std::nullopt, -1, true, false,
         [](const ModelRecord& m) {
             EXPECT_FLOAT_EQ(m.points[1].X, 3.712f);
             EXPECT_FLOAT_EQ(m.points[2].X, 4.096f);
             EXPECT_FLOAT_EQ(m.points[1].Shift, -0.128f);
         }},
        {"a gas time below 0 gets its enrichment raised in 0.104 ms steps",
         [](ModelRecord& m) { m.points[2].Enrich = -8.5f; RecomputeModel(m); }, std::nullopt, -1, true, false,
         [](const ModelRecord& m) {
             EXPECT_GE(m.points[2].Y, 0.0f);
             EXPECT_LT(m.points[2].Y, 0.104f);
             EXPECT_NEAR(m.points[2].Enrich, -8.5 + 5 * 0.104, 1e-5);  // 8.064 - 8.5 = -0.436: 5 steps
         }},
        {"the spacing rule stops after 101 passes",
         [](ModelRecord& m) { m.points[1].Enrich = -30; RecomputeModel(m); }, std::nullopt, -1, true, false,
         [](const ModelRecord& m) {
             EXPECT_NEAR(m.points[1].Enrich, -30 + 101 * 0.104, 1e-4);
             EXPECT_LT(m.points[1].Y, 0.0f);
         }},
        {"Down at the floor: the enrichment comes back",
         [](ModelRecord& m) { m.points[1].Enrich = -3.8f; RecomputeModel(m); }, B::Down, 1, true, false,
         [](const ModelRecord& m) {
             EXPECT_NEAR(m.points[1].Enrich, -3.8, 1e-5);
             EXPECT_GE(m.points[1].Y, 0.0f);
         }},
        {"Up at the ceiling: a gas time above 31 ms comes back",
         [](ModelRecord& m) { m.Offset = 10; m.points[4].Enrich = 4.95f; RecomputeModel(m); }, B::Up, 4, true, false,
         [](const ModelRecord& m) {
             EXPECT_NEAR(m.points[4].Enrich, 4.95, 1e-5);
             EXPECT_LE(m.points[4].Y, 31.0f);
         }},
        {"OffsetDown at 0.05 sets 0", [](ModelRecord& m) { m.Offset = 0.05f; RecomputeModel(m); }, B::OffsetDown,
         -1, true, false, [](const ModelRecord& m) { EXPECT_EQ(m.Offset, 0.0f); }},
        {"OffsetDown at 0.104 sets 0", [](ModelRecord& m) { m.Offset = 0.104f; RecomputeModel(m); },
         B::OffsetDown, -1, true, false, [](const ModelRecord& m) { EXPECT_EQ(m.Offset, 0.0f); }},
        {"OffsetDown steps 0.104", [](ModelRecord& m) { m.Offset = 0.5f; RecomputeModel(m); }, B::OffsetDown, -1,
         true, false,
         [](const ModelRecord& m) {
             EXPECT_EQ(m.Offset, 0.5f - 0.104f);
             EXPECT_FLOAT_EQ(m.points[3].Y, 12.032f + 0.396f);
         }},
        {"OffsetUp steps 0.104 and moves every point", {}, B::OffsetUp, -1, true, false,
         [](const ModelRecord& m) {
             EXPECT_EQ(m.Offset, 0.104f);
             for (int i = 0; i < 6; ++i) EXPECT_FLOAT_EQ(m.points[i].Y, m.points[i].X + 0.104f) << i;
         }},
        {"OffsetUp past the line end is taken back", [](ModelRecord& m) { m.Offset = 10.85f; RecomputeModel(m); },
         B::OffsetUp, -1, true, false, [](const ModelRecord& m) { EXPECT_NEAR(m.Offset, 10.85, 1e-5); }},
        {"OffsetUp at the top ends the repeat", [](ModelRecord& m) { m.Alfa = 0; m.Offset = 31; RecomputeModel(m); },
         B::OffsetUp, -1, true, true, {}},
        {"AlfaUp steps 0.01", {}, B::AlfaUp, -1, true, false,
         [](const ModelRecord& m) {
             EXPECT_EQ(m.Alfa, 1.0f + 0.01f);
             EXPECT_FLOAT_EQ(m.points[4].Y, 1.01f * 16);
         }},
        {"AlfaUp past the line end is taken back", [](ModelRecord& m) { m.Alfa = 1.54f; RecomputeModel(m); },
         B::AlfaUp, -1, true, false, [](const ModelRecord& m) { EXPECT_NEAR(m.Alfa, 1.54, 1e-6); }},
        {"AlfaDown steps 0.01", {}, B::AlfaDown, -1, true, false,
         [](const ModelRecord& m) { EXPECT_EQ(m.Alfa, 1.0f - 0.01f); }},
        {"AlfaDown below 0.01 does not lower", [](ModelRecord& m) { m.Alfa = 0.005f; RecomputeModel(m); },
         B::AlfaDown, -1, true, false, {}},
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.name);
        ModelRecord m;
        if (c.setup) c.setup(m);
        const ModelRecord before = m;
        if (c.button) {
            const ModelStep step = StepModelButton(m, *c.button, c.selected);
            EXPECT_EQ(step.applies, c.applies);
            EXPECT_EQ(step.endsRepeat, c.endsRepeat);
        } else {
            ApplySpacingRule(m);
        }
        if (c.check)
            c.check(m);
        else
            EXPECT_EQ(m, before);
        // Whatever a step did, points 0-5 satisfy the model's invariants afterwards.
        for (int i = 0; i < 6; ++i) {
            const ModelPoint& p = m.points[i];
            EXPECT_EQ(p.X, p.DefaultPlace + p.Shift) << i;
            EXPECT_EQ(p.Y, m.Alfa * p.X + p.Enrich + m.Offset) << i;
        }
    }
}

TEST(ModelEditing, PointsOnTheLineKeepTheLine) {
    ModelRecord m;
    m.Alfa = 1.2f;
    m.Offset = 0.832f;
    for (int i = 0; i < kModelPoints; ++i) {
        m.points[i].Shift = 0.256f;
        m.points[i].Enrich = 0.312f;
        m.points[i].X = m.points[i].Y = 99;
    }
    DisponiPuntiSuLineaMod(m);
    EXPECT_EQ(m.Alfa, 1.2f);
    EXPECT_EQ(m.Offset, 0.832f);
    for (int i = 0; i < kModelPoints; ++i) {
        EXPECT_EQ(m.points[i].X, kModelDefaultPlaces[i]) << i;
        EXPECT_EQ(m.points[i].Y, m.points[i].X) << i;
        EXPECT_EQ(m.points[i].Shift, 0.0f) << i;
        EXPECT_EQ(m.points[i].Enrich, 0.0f) << i;
    }
}

}  // namespace
