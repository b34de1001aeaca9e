// The calibration's arithmetic: the correction rule at the band's edges and its quantum, the
// idle place, the injector Note's enrichment adaptation, the final check's codes, the report
// line and file.
#include <gtest/gtest.h>

#include "app/CalibrationRules.h"
#include "model/CorrectionTables.h"
#include "model/ModelEditing.h"
#include "support/TempDir.h"

using namespace gw;

namespace {
constexpr double q = kCorrectionQuantum;
}

TEST(CalibrationRules, CorrectionRuleBandGainStepAndQuantum) {
    struct Case {
        const char* what;
        CorrectionInput in;
        double expected;
    };
    auto in = [](double G, double R, double t, double k, double S) {
        CorrectionInput c;
        c.measured = G;
        c.reference = R;
        c.tolerance = t;
        c.gain = k;
        c.maxStep = S;
        return c;
    };
    auto withSpeed = [](CorrectionInput c, double g, double r) {
        c.measuredSpeed = g;
        c.referenceSpeed = r;
        return c;
    };
    const Case cases[] = {
        {"inside the band", in(2.03, 2.0, 0.03, 1, 1), 0},
        {"exactly on (1 - t) x R", in((1 - 0.25) * 2.0, 2.0, 0.25, 1, 1), 0},
        {"exactly on (1 + t) x R", in((1 + 0.25) * 2.0, 2.0, 0.25, 1, 1), 0},
        {"above: positive, whole quanta", in(2.5, 2.0, 0.03, 1, 1), 0.52},
        {"below: negative", in(1.5, 2.0, 0.03, 1, 1), -0.52},
        {"gain", in(2.5, 2.0, 0.03, 0.5, 1), 0.208},
        {"step limit before the quantum", in(4.0, 2.0, 0.03, 1, 0.5), 0.52},
        {"below half a quantum rounds to 0", in(2.1, 2.0, 0.01, 0.5, 1), 0},
        {"a tie of 1.5 quanta goes to 2", in(1.5 * q, 0, 0, 1, 1), 0.208},
        {"a tie of 2.5 quanta goes to 2", in(2.5 * q, 0, 0, 1, 1), 0.208},
        {"time inside, speed outside: positive", withSpeed(in(1.99, 2.0, 0.03, 10, 1), 1900, 2200), 0.104},
        {"time and speed inside", withSpeed(in(2.01, 2.0, 0.03, 10, 1), 2190, 2200), 0},
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(CorrectionRule(c.in), c.expected) << c.what;
}

TEST(CalibrationRules, IdlePlaceInWholePlaceStepsTiesToEven) {
    EXPECT_FLOAT_EQ(IdlePlace(2.0), static_cast<float>(20 * kCorTableStepMs));    // 2.5 ms: 19.53 steps
    EXPECT_FLOAT_EQ(IdlePlace(0.1536), static_cast<float>(2 * kCorTableStepMs));  // 1.5 steps: to 2
    EXPECT_FLOAT_EQ(IdlePlace(0.256), static_cast<float>(2 * kCorTableStepMs));   // 2.5 steps: to 2
}

// The Note's items act in order on the enrichments; places, Alfa and Offset stay.
TEST(CalibrationRules, InjectorNoteAdaptsTheEnrichmentsOnly) {
    struct Case {
        const char* note;
        std::array<float, 7> enrich;
        std::vector<std::string> ignored;
    };
    const float e = static_cast<float>(q);
    const Case cases[] = {
        {"", {0, 0.208f, 0, 0, 0, 0, 0}, {}},
        {"R", {0, 0, 0, 0, 0, 0, 0}, {}},
        {"R; P1+0,2 ;P2+0.1;P3+0,05", {0, 2 * e, e, 0, 0, 0, 0}, {}},
        {"P1*2;P2#0,3;P3-0,104", {0, 4 * e, 3 * e, -e, 0, 0, 0}, {}},
        {"P1+;X;P9+1;P2?1;;R", {0, 0, 0, 0, 0, 0, 0}, {"P1+", "X", "P9+1", "P2?1"}},
        // A gas time below 0 is not allowed: point 0 sits at 0 ms with Offset 0.5.
        {"P0#-2", {static_cast<float>(-4 * q), 0.208f, 0, 0, 0, 0, 0}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.note);
        ModelRecord m;
        DisponiMatriceModDefault(m);
        m.Offset = 0.5f;
        m.Alfa = 1.1f;
        m.points[1].Enrich = 0.208f;
        RecomputeModel(m);
        const ModelRecord before = m;
        EXPECT_EQ(AdaptEnrichments(m, c.note), c.ignored);
        for (int i = 0; i < kModelPoints; ++i) {
            EXPECT_NEAR(m.points[i].Enrich, c.enrich[i], 1e-6) << i;
            EXPECT_EQ(m.points[i].X, before.points[i].X);
            EXPECT_EQ(m.points[i].DefaultPlace, before.points[i].DefaultPlace);
            EXPECT_EQ(m.points[i].Shift, before.points[i].Shift);
            if (i < 6) {
                EXPECT_FLOAT_EQ(m.points[i].Y, m.Alfa * m.points[i].X + m.points[i].Enrich + m.Offset);
            }
            EXPECT_GE(m.points[i].Y, 0.0f);
        }
        EXPECT_EQ(m.Alfa, before.Alfa);
        EXPECT_EQ(m.Offset, before.Offset);
    }
}

TEST(CalibrationRules, FinalCheckCodesInTheirOrder) {
    FinalCheckLimits l;
    l.OffsetMin = -1.5;
    l.OffsetMax = 3;
    l.AlfaMin = 0.75;
    l.AlfaMax = 1.6;
    l.InjLimitHigh = 12;
    l.InjLimitLow = 1.4;
    l.IdleRefTime = 2.0;
    struct Case {
        const char* what;
        float alfa, offset;
        FinalCheckLimits limits;
        int code;
        float alfaAfter, offsetAfter;
    };
    FinalCheckLimits noMin = l;
    noMin.OffsetMin = 0;
    FinalCheckLimits tightHigh = l;
    tightHigh.InjLimitHigh = 1.0;
    FinalCheckLimits highLow = l;
    highLow.InjLimitLow = 6;
    const Case cases[] = {
        {"inside every limit", 1, 1.456f, l, 0, 1, 1.456f},
        {"Offset at its minimum", 1, -1.5f, l, 1, 1, -1.5f},
        {"Offset below a zero minimum is no code", 1, -0.5f, noMin, 0, 1, -0.5f},
        {"Offset at its maximum", 1, 3.0f, l, 2, 1, 3.0f},
        {"Offset above its maximum, Alfa low too: the Offset's code", 0.7f, 3.2f, l, 2, 0.7f, 3.0f},
        {"Alfa at its minimum", 0.75f, 1, l, 3, 0.75f, 1},
        {"Alfa above its maximum", 1.7f, 1, l, 4, 1.6f, 1},
        {"entries lowered to the injector's ceiling", 1, 1.456f, tightHigh, 6, 1, 1.456f},
        {"entries raised to the injector's floor", 1, 1.456f, highLow, 5, 1, 1.456f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ModelRecord m;
        DisponiMatriceModDefault(m);
        m.Alfa = c.alfa;
        m.Offset = c.offset;
        RecomputeModel(m);
        TimeTable table{};
        EXPECT_EQ(FinalCheck(m, table, c.limits), c.code);
        EXPECT_FLOAT_EQ(m.Alfa, c.alfaAfter);
        EXPECT_FLOAT_EQ(m.Offset, c.offsetAfter);
        for (int n = 0; n < kCorTableTimeEntries; ++n) {
            const double x = n * kCorTableStepMs;
            if (x <= c.limits.IdleRefTime) continue;
            EXPECT_LE(table[n], std::min(x * c.limits.AlfaMax + c.limits.OffsetMax, c.limits.InjLimitHigh) + 1e-9) << n;
            EXPECT_GE(table[n], std::max(x * (c.limits.AlfaMin - 1) + c.limits.OffsetMin, c.limits.InjLimitLow - x) - 1e-9)
                << n;
        }
        // Below the idle time the model's own entries stay.
        TimeTable plain{};
        ModelToTable(plain, m);
        EXPECT_EQ(table[10], plain[10]);
    }
}

TEST(CalibrationRules, ReportLineFormatAndFile) {
    const NumberLocale comma = NumberLocale::Comma();
    EXPECT_EQ(ReportLine("TaraMax Ciclo 1 ", 2.95865, 3.54575, 0.52, 0, 65, 1169, comma),
              "TaraMax Ciclo 1  TInjRef 2,9586 TInjMed 3,5458 TCorr 0,52 Offset 0 TempVap 65 PressVap 1169");
    EXPECT_EQ(ReportLine("TaraMin Ciclo 12 ", 2, -0.104, -0.10400000214576721, 1.4559999704360962, -5, 0,
                         NumberLocale::Dot()),
              "TaraMin Ciclo 12  TInjRef 2 TInjMed -0.104 TCorr -0.104 Offset 1.456 TempVap -5 PressVap 0");
    EXPECT_EQ(ReportNumber(-0.00004, comma), "0");

    gwtest::TempDir dir;
    dir.Write("TaraCorr.txt", "\"earlier\"\r\n");
    const std::string path = dir.Path() + "/TaraCorr.txt";
    EXPECT_TRUE(ScriviDatiTaratura(path, "one"));
    EXPECT_TRUE(ScriviDatiTaratura(path, "two"));
    EXPECT_EQ(dir.Read("TaraCorr.txt"), "\"earlier\"\r\n\"one\"\r\n\"two\"\r\n");
    EXPECT_FALSE(ScriviDatiTaratura(dir.Path() + "/missing/TaraCorr.txt", "lost"));
}
