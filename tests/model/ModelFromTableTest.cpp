// The model rebuilt from a correction table: a table made from a model gives that model back
// (and the model gives the table back), a table with entries off the model's segments is kept
// as the model's points see it, and a table that cannot be a model leaves the default model.
#include <gtest/gtest.h>

#include <cmath>

#include "model/CorrectionTables.h"
#include "model/ModelFromTable.h"

using namespace gw;

namespace {

// Points moved off their default places and enriched, a line that is not the diagonal; the
// values as the wire carries them (Offset and Alfa in thousandths, places on table steps).
ModelRecord TunedModel() {
    ModelRecord m;
    m.Alfa = 1.1f;
    m.Offset = 0.416f;
    const float shift[kModelPoints] = {0, 0.256f, -0.384f, 0.128f, 0, 0, 0};
    const float enrich[kModelPoints] = {0.208f, 0.312f, -0.104f, 0.52f, 0.104f, -0.208f, 0};
    for (int i = 0; i < 6; ++i) {
        ModelPoint& p = m.points[i];
        p.Shift = shift[i];
        p.X = p.DefaultPlace + p.Shift;
        p.Enrich = enrich[i];
        p.Y = m.Alfa * p.X + p.Enrich + m.Offset;
    }
    return m;
}

TEST(ModelFromTable, ATableMadeFromAModelGivesThatModelBack) {
    for (const ModelRecord& made : {ModelRecord{}, TunedModel()}) {
        TimeTable table{};
        ModelToTable(table, made);
        ModelRecord rebuilt;  // the default arrangement, as at start-up
        ASSERT_EQ(RebuildModelFromTable(table, rebuilt), ModelFit::Exact);
        EXPECT_FLOAT_EQ(rebuilt.Alfa, made.Alfa);
        EXPECT_FLOAT_EQ(rebuilt.Offset, made.Offset);
        for (int i = 0; i < 6; ++i) {
            SCOPED_TRACE(i);
            EXPECT_NEAR(rebuilt.points[i].X, made.points[i].X, 1e-5);
            EXPECT_NEAR(rebuilt.points[i].Shift, made.points[i].Shift, 1e-5);
            EXPECT_NEAR(rebuilt.points[i].Enrich, made.points[i].Enrich, 1e-3);
            EXPECT_NEAR(rebuilt.points[i].Y, made.points[i].Y, 1e-3);
        }
        TimeTable again{};
        ModelToTable(again, rebuilt);
        for (int k = 0; k < kTimeTableSize; ++k) ASSERT_NEAR(again[k], table[k], 1e-9) << k;
    }
}

TEST(ModelFromTable, EntriesOffTheSegmentsAreSeenAsInexact) {
    TimeTable table{};
    ModelToTable(table, TunedModel());
    table[45] += 0.3;  // between points 1 and 2: no model gives this
    ModelRecord rebuilt;
    EXPECT_EQ(RebuildModelFromTable(table, rebuilt), ModelFit::Inexact);
    // The points still follow the table where they stand.
    EXPECT_NEAR(rebuilt.points[2].Enrich, TunedModel().points[2].Enrich, 1e-3);
}

TEST(ModelFromTable, ATableThatCannotBeAModelLeavesTheDefaultModel) {
    TimeTable good{};
    ModelToTable(good, TunedModel());
    struct Case {
        const char* what;
        int entry;
        double value;
    } cases[] = {
        {"every place 0 (an erased table)", -1, 0},
        {"points out of order", 188, 20},
        {"a place past the last", 191, 400},
        {"Alfa above 2", kCorTableAlfaEntry, 7.5},
        {"a negative Alfa", kCorTableAlfaEntry, -1},
        {"Offset beyond the plot", kCorTableOffsetEntry, 40},
        {"not a number", kCorTableOffsetEntry, std::nan("")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TimeTable t = good;
        if (c.entry < 0) {
            t.fill(0);
        } else {
            t[static_cast<std::size_t>(c.entry)] = c.value;
        }
        ModelRecord m = TunedModel();
        EXPECT_EQ(RebuildModelFromTable(t, m), ModelFit::Unusable);
        EXPECT_EQ(m, ModelRecord{});
    }
}

}  // namespace
