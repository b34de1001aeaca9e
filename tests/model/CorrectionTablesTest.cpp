#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "model/CorrectionTables.h"
#include "support/TempDir.h"

using namespace gw;

namespace {

TEST(Round3, NearestThousandthTiesToEven) {
    struct Case {
        double v, expected;
    };
    const Case cases[] = {
        {1.2344, 1.234},  {1.2346, 1.235},   {0.0125, 0.012},  {0.0135, 0.014},
        {-0.0125, -0.012}, {2.0005, 2.0},    {0.5015, 0.502},  // 0.5015 x 1000 is 501.49999999999994
        {0.5005, 0.5},    {0.5025, 0.502},   {-0.5015, -0.502}, {1.0025, 1.002},
        {static_cast<double>(3.84f), 3.84},  // single-precision noise goes
        {0.0, 0.0},       {-3.9999, -4.0},
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(Round3(c.v), c.expected) << c.v;
}

TEST(ModelToTable, DefaultPlacesOnTheDiagonalGiveZeros) {
    ModelRecord m;
    DisponiMatriceModDefault(m);
    m.Alfa = 1.2f;  // only stored: the points were placed with Y = X
    TimeTable t;
    t.fill(99);
    ModelToTable(t, m);
    for (int k = 0; k < kCorTableTimeEntries; ++k) EXPECT_EQ(t[k], 0.0) << k;
    EXPECT_EQ(t[184], 0.0);
    EXPECT_EQ(t[185], static_cast<double>(1.2f));
    EXPECT_EQ(t[186], 0.0);
    const double steps[] = {30, 63, 94, 125, 157};
    for (int n = 0; n < 5; ++n) EXPECT_EQ(t[187 + n], steps[n]) << n;
}

// Gas times 0.5, 5, 10, 14, 18, 22 ms at the default places, Offset 0.5.
ModelRecord SampleModel() {
    ModelRecord m;
    const float y[kModelPoints] = {0.5f, 5.0f, 10.0f, 14.0f, 18.0f, 22.0f, 25.0f};
    for (int i = 0; i < kModelPoints; ++i) m.points[i].Y = y[i];
    m.Offset = 0.5f;
    m.Alfa = 1.25f;
    return m;
}

TEST(ModelToTable, InterpolatesEachSegment) {
    TimeTable t{};
    ModelToTable(t, SampleModel());
    // Segment 1: 0 -> 0.66 over 3.84 ms; t = 1.28: 0.66 / 3.84 x 1.28 + 0.5.
    EXPECT_DOUBLE_EQ(t[0], 0.5);
    EXPECT_DOUBLE_EQ(t[10], 0.72);
    EXPECT_DOUBLE_EQ(t[29], 1.138);
    // At a point's place the next segment starts with the point's own correction.
    EXPECT_DOUBLE_EQ(t[30], 1.16);
    // Segment 2: 0.66 -> 1.436 over 4.224 ms; t = 5.76: 0.66 + 0.776 / 4.224 x 1.92 + 0.5.
    EXPECT_DOUBLE_EQ(t[45], 1.513);
    EXPECT_DOUBLE_EQ(t[63], 1.936);
    // Segment 4: 1.468 -> 1.5 over 3.968 ms; t = 12.8.
    EXPECT_DOUBLE_EQ(t[100], 1.974);
    // Segment 5: 1.5 -> 1.404 over 4.096 ms; t = 19.968.
    EXPECT_DOUBLE_EQ(t[156], 1.907);
    // Entry 157 is point 5's correction, repeated to the end of the time entries.
    for (int k = 157; k < kCorTableTimeEntries; ++k) EXPECT_DOUBLE_EQ(t[k], 1.904) << k;
    EXPECT_EQ(t[184], 0.5);
    EXPECT_EQ(t[185], 1.25);
}

TEST(ModelToTable, EntriesBeforeTheFirstPlaceKeepTheirValues) {
    ModelRecord m;
    m.points[0].X = 0.512f;  // four steps in
    m.points[0].Y = 0.512f;
    TimeTable t;
    t.fill(7.5);
    ModelToTable(t, m);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(t[k], 7.5) << k;
    for (int k = 4; k < kCorTableTimeEntries; ++k) EXPECT_EQ(t[k], 0.0) << k;
    EXPECT_EQ(t[186], 0.512);
}

TEST(ModelToTable, CoincidentPlacesDoNotDivideByZero) {
    ModelRecord m;
    m.points[4].X = m.points[5].X;  // a zero-width last segment
    m.points[4].Y = m.points[5].Y = m.points[5].X + 1.0f;
    TimeTable t{};
    ModelToTable(t, m);
    for (double v : t) EXPECT_TRUE(std::isfinite(v));
    EXPECT_DOUBLE_EQ(t[157], 1.0);
}

TEST(TableToModel, PlacesLineAndOffsetComeBack) {
    ModelRecord m = SampleModel();
    m.points[1].X = 3.84f + 0.256f;
    m.points[4].X = 16.0f - 0.384f;
    m.Offset = 0.416f;
    m.Alfa = 1.15f;
    TimeTable t{};
    ModelToTable(t, m);

    ModelRecord back;
    back.points[6].X = 30.0f;
    back.points[2].Enrich = 0.208f;
    TableToModel(t, back);
    for (int i = 0; i < 6; ++i) EXPECT_FLOAT_EQ(back.points[i].X, m.points[i].X) << i;
    EXPECT_FLOAT_EQ(back.Offset, m.Offset);
    EXPECT_FLOAT_EQ(back.Alfa, m.Alfa);
    // What the table does not hold is left to the model page.
    EXPECT_EQ(back.points[6].X, 30.0f);
    EXPECT_EQ(back.points[2].Enrich, 0.208f);
    EXPECT_EQ(back.points[1].Y, ModelRecord{}.points[1].Y);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t e = text.find("\r\n", pos);
        if (e == std::string::npos) e = text.size();
        lines.push_back(text.substr(pos, e - pos));
        pos = e + 2;
    }
    return lines;
}

TEST(ExportCorTable, OneQuotedLinePerEntryInTheUsersFormat) {
    gwtest::TempDir dir;
    TimeTable t{};
    t[0] = -0.8;
    t[3] = 0.25;
    t[5] = -0.0;
    t[185] = 1.25;
    t[187] = 30;
    t[191] = 157;
    const struct {
        NumberLocale locale;
        const char* entry0;
        const char* entry3;
        const char* entry185;
    } cases[] = {
        {NumberLocale::Dot(), "-0.8", "0.25", "1.25"},
        {NumberLocale::Comma(), "-0,8", "0,25", "1,25"},
    };
    for (const auto& c : cases) {
        const std::string path = dir.File("TEMPI4.TXT");
        std::string error = "untouched";
        ASSERT_TRUE(ExportCorTable(path, t, c.locale, &error));
        const std::string text = dir.Read("TEMPI4.TXT");
        ASSERT_EQ(text.substr(text.size() - 2), "\r\n");
        const auto lines = Lines(text);
        ASSERT_EQ(lines.size(), 192u);
        EXPECT_EQ(lines[0], std::string("\"Val_corTempiGas[0] = #") + c.entry0 + "@\"");
        EXPECT_EQ(lines[1], "\"Val_corTempiGas[1] = #0@\"");
        EXPECT_EQ(lines[3], std::string("\"Val_corTempiGas[3] = #") + c.entry3 + "@\"");
        EXPECT_EQ(lines[5], "\"Val_corTempiGas[5] = #0@\"");
        EXPECT_EQ(lines[185], std::string("\"Val_corTempiGas[185] = #") + c.entry185 + "@\"");
        // Whole numbers are written out in digits.
        EXPECT_EQ(lines[187], "\"Val_corTempiGas[187] = #30@\"");
        EXPECT_EQ(lines[191], "\"Val_corTempiGas[191] = #157@\"");
    }
}

TEST(ExportCorTable, FileThatCannotBeCreatedIsReported) {
    gwtest::TempDir dir;
    TimeTable t{};
    std::string error;
    EXPECT_FALSE(ExportCorTable(dir.File("no such folder/TEMPI4.TXT"), t, NumberLocale::Dot(), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(ExportCorTable(dir.File("no such folder/TEMPI4.TXT"), t, NumberLocale::Dot()));
}

}  // namespace
