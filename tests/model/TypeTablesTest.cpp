// Gas-level, injector and lambda type tables, and the calibration parameters.
#include <gtest/gtest.h>

#include "model/CalibrationParameters.h"
#include "model/ScaleConfig.h"
#include "support/TempDir.h"
#include "util/Warnings.h"

using namespace gw;

namespace {

std::vector<std::string> GasLevelSection(const std::string& header, const std::string& name, const std::string& code) {
    return {header, name, code, "V", "100", "200", "300", "400", "1023", "7", "5", "1"};
}

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

class TypeTables : public ::testing::Test {
protected:
    // The readers' warnings, gathered as a caller does.
    void Gas(const std::vector<std::string>& lines) { Keep(ApplyGasLevelTypes(locale, lines, cfg, "Workbench")); }
    void Inj(const std::vector<std::string>& lines) { Keep(ApplyInjTypes(locale, lines, cfg, "Workbench")); }
    void Lambda(const std::vector<std::string>& lines, const std::string& absent) {
        Keep(ApplyLambdaTypes(locale, lines, cfg, "Workbench", absent));
    }
    void Keep(const Warnings& w) { AppendWarnings(warnings, w); }

    // The texts of the error boxes gathered so far: common error boxes, every one.
    std::vector<std::string> Reports() const {
        std::vector<std::string> texts;
        for (const auto& w : warnings) {
            EXPECT_EQ(w.title, "Workbench: Error");
            EXPECT_EQ(w.icon, MsgIcon::Critical);
            texts.push_back(w.text);
        }
        return texts;
    }
    static bool Mentions(const std::string& text, const char* procedure, const char* message) {
        return text.find(procedure) != std::string::npos && text.find(message) != std::string::npos;
    }

    NumberLocale locale = NumberLocale::Comma();
    ScaleConfig cfg;
    Warnings warnings;
};

}  // namespace

TEST_F(TypeTables, GasLevelSectionsFillTheirIndexAndTheGapsStayEmpty) {
    Gas(GasLevelSection("[GasLevel_05]", " Hall ", "3"));
    ASSERT_EQ(cfg.GasLevelTypes.size(), 6u);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(cfg.GasLevelTypes[i].Name, "");
    const GasLevelType& t = cfg.GasLevelTypes[5];
    EXPECT_EQ(t.Name, "Hall");
    EXPECT_EQ(t.Code, 3);
    EXPECT_EQ(t.Unit(), "V");
    EXPECT_EQ(t.Thresholds, (std::array<std::int16_t, 6>{100, 200, 300, 400, 1023, 7}));
    EXPECT_EQ(t.FullScaleCount(), 1023);
    EXPECT_EQ(t.FullScaleVolts(), 5.0);
    EXPECT_TRUE(t.Inverted());
    EXPECT_EQ(FindGasLevelType(cfg, 3), 5);
    EXPECT_EQ(FindGasLevelType(cfg, 0), 0);   // an empty record has code 0
    EXPECT_EQ(FindGasLevelType(cfg, 42), -1);
    EXPECT_TRUE(Reports().empty());

    // A section given out of order updates its record and loses none of the others.
    Gas(Join({GasLevelSection("[GasLevel_03]", "C", "30"), GasLevelSection("[GasLevel_01]", "A", "10")}));
    ASSERT_EQ(cfg.GasLevelTypes.size(), 4u);
    EXPECT_EQ(cfg.GasLevelTypes[1].Name, "A");
    EXPECT_EQ(cfg.GasLevelTypes[3].Name, "C");
}

TEST_F(TypeTables, BadValuesAreReportedAndTheRestOfTheSectionIsRead) {
    auto lines = GasLevelSection("[GasLevel_00]", "S", "abc");
    lines[5] = "40000";   // threshold T2 beyond 16 bits
    lines[11] = "256";    // flag beyond a byte
    Gas(lines);
    ASSERT_EQ(cfg.GasLevelTypes.size(), 1u);
    const GasLevelType& t = cfg.GasLevelTypes[0];
    EXPECT_EQ(t.Code, 0);
    EXPECT_EQ(t.Thresholds, (std::array<std::int16_t, 6>{100, 0, 300, 400, 1023, 7}));
    EXPECT_EQ(t.Flag, 0);
    EXPECT_EQ(t.Scale, 5.0);
    const auto reports = Reports();
    ASSERT_EQ(reports.size(), 3u);
    for (const auto& r : reports) EXPECT_TRUE(Mentions(r, "IniziaLevelGasType_Err", "Config level sensor error")) << r;
    EXPECT_NE(reports[0].find("Type mismatch"), std::string::npos);
    EXPECT_NE(reports[1].find("Overflow"), std::string::npos);
}

TEST_F(TypeTables, HeadersWithoutAUsableNumberSkipTheirSection) {
    for (const char* header : {"[GasLevel_9Z]", "[GasLevel_123]", "[GasLevel_-1]"}) {
        SCOPED_TRACE(header);
        warnings.clear();
        // The skipped section's value lines are not scanned: one holds a header.
        auto bad = GasLevelSection(header, "[GasLevel_04]", "1");
        Gas(Join({bad, GasLevelSection("[GasLevel_01]", "Good", "2")}));
        ASSERT_EQ(cfg.GasLevelTypes.size(), 2u);
        EXPECT_EQ(cfg.GasLevelTypes[1].Name, "Good");
        ASSERT_EQ(Reports().size(), 1u);
        EXPECT_TRUE(Mentions(Reports()[0], "IniziaLevelGasType_Err", "Config level sensor error"));
    }
}

TEST_F(TypeTables, ASectionCutShortByTheEndOfTheFileKeepsWhatItHas) {
    Gas({"[GasLevel_02]", "Short", "4"});
    ASSERT_EQ(cfg.GasLevelTypes.size(), 3u);
    EXPECT_EQ(cfg.GasLevelTypes[2].Name, "Short");
    EXPECT_EQ(cfg.GasLevelTypes[2].Code, 4);
    EXPECT_EQ(cfg.GasLevelTypes[2].FullScaleCount(), GasLevelType::kDefaultFullScaleCount);
    EXPECT_TRUE(Reports().empty());
}

TEST_F(TypeTables, InjectorTypesInFileOrderWithTheSwappedTimeLines) {
    cfg.K_Time_Pwm_ms = 2.0;
    Inj({"[InjType_07]", "Seven", "2,5", "3", "4", "12,5", "1,5", " R;P1+0,2 ", "x", "[InjType_02]", "Two", "1", "1",
         "1", "abc", "2"});
    ASSERT_EQ(cfg.InjTypes.size(), 2u);
    const InjType& a = cfg.InjTypes[0];
    EXPECT_EQ(a.Code, 7);
    EXPECT_EQ(a.Name, "Seven");
    EXPECT_DOUBLE_EQ(a.Time1, 5.0);
    EXPECT_DOUBLE_EQ(a.Time3, 6.0);  // third value line
    EXPECT_DOUBLE_EQ(a.Time2, 8.0);  // fourth value line
    EXPECT_DOUBLE_EQ(a.LimitHigh, 12.5);
    EXPECT_DOUBLE_EQ(a.LimitLow, 1.5);
    EXPECT_EQ(a.Note, "R;P1+0,2");
    const InjType& b = cfg.InjTypes[1];
    EXPECT_EQ(b.Code, 2);
    EXPECT_EQ(b.LimitHigh, 0.0);
    EXPECT_DOUBLE_EQ(b.LimitLow, 2.0);
    ASSERT_EQ(Reports().size(), 1u);
    EXPECT_TRUE(Mentions(Reports()[0], "IniziaTipoInj_Err", "Config level sensor error"));

    Inj({"[GasLevel_01]"});
    ASSERT_EQ(cfg.InjTypes.size(), 1u);
    EXPECT_EQ(cfg.InjTypes[0].Name, "");
}

TEST_F(TypeTables, LambdaTypesCurvesAndTheAbsentSensor) {
    Lambda({"[Lambda_02]", "Wide", "9", "0,005", "4|1"}, "No sensor");
    ASSERT_EQ(cfg.LambdaTypes.size(), 3u);
    EXPECT_EQ(cfg.LambdaTypes[0].Name, "NULL");  // preset, no section 0 in the file
    EXPECT_EQ(cfg.LambdaTypes[0].Scale, 0.001);
    const LambdaType& t = cfg.LambdaTypes[2];
    EXPECT_EQ(t.Code, 9);
    EXPECT_DOUBLE_EQ(t.Scale, 0.005);
    for (int k = 0; k <= 10; ++k) EXPECT_NEAR(t.Curve[k], 4.0 - 0.3 * k, 1e-6) << k;
    EXPECT_EQ(t.Curve[10], 1.0f);
    EXPECT_EQ(FindLambdaType(cfg, 9), 2);
    EXPECT_EQ(FindLambdaType(cfg, 5), -1);

    Lambda({"[Lambda_00]", "NULL", "0", "0,001", "0|0", "[Lambda_99]", "Last", "99", "0,001", "0|1,6"}, "No sensor");
    ASSERT_EQ(cfg.LambdaTypes.size(), 100u);
    EXPECT_EQ(cfg.LambdaTypes[0].Name, "No sensor");
    EXPECT_NEAR(cfg.LambdaTypes[99].Curve[5], 0.8, 1e-6);
    EXPECT_TRUE(Reports().empty());

    Lambda({"[Lambda_01]", "Bad", "1", "x", "4", "[Lambda_100]", "", "", "", ""}, "");
    ASSERT_EQ(cfg.LambdaTypes.size(), 2u);
    EXPECT_EQ(cfg.LambdaTypes[1].Curve, (std::array<float, 11>{}));
    ASSERT_EQ(Reports().size(), 3u);  // scale, curve, header
    for (const auto& r : Reports()) EXPECT_TRUE(Mentions(r, "IniziaTipoLambda_Err", "Config lambda sensor error")) << r;
}

TEST_F(TypeTables, ManySectionsStayBoundedAndFewBoxesAreShown) {
    std::vector<std::string> lines;
    for (int i = 0; i < 50'000; ++i) {
        lines.push_back("[InjType_01]");
        lines.push_back("bad");
        lines.insert(lines.end(), {"x", "x", "x", "x", "x", "x"});
    }
    Inj(lines);
    EXPECT_EQ(cfg.InjTypes.size(), 100u);
    EXPECT_EQ(warnings.size(), 5u);
}

TEST_F(TypeTables, MissingFileLeavesTheTablesAsTheyAre) {
    gwtest::TempDir dir;
    const std::string path = dir.File("\\LNG\\ConfigScale.ini");
    Gas(GasLevelSection("[GasLevel_00]", "Kept", "1"));
    Keep(ReadGasLevelTypes(locale, path, cfg, "Workbench"));
    Keep(ReadInjTypes(locale, path, cfg, "Workbench"));
    Keep(ReadLambdaTypes(locale, path, cfg, "Workbench", "No sensor"));
    ASSERT_EQ(cfg.GasLevelTypes.size(), 1u);
    EXPECT_EQ(cfg.GasLevelTypes[0].Name, "Kept");
    EXPECT_EQ(cfg.InjTypes.size(), 1u);
    EXPECT_EQ(cfg.LambdaTypes.size(), 1u);

    dir.Write("\\LNG\\ConfigScale.ini", "[GasLevel_01]\r\nFile\r\n2\r\n");
    Keep(ReadGasLevelTypes(locale, path, cfg, "Workbench"));
    ASSERT_EQ(cfg.GasLevelTypes.size(), 2u);
    EXPECT_EQ(cfg.GasLevelTypes[0].Name, "");  // rebuilt from the file
    EXPECT_EQ(cfg.GasLevelTypes[1].Name, "File");
    EXPECT_TRUE(Reports().empty());
}

TEST(CalibrationParameters, EachValuePositionFeedsItsField) {
    // Every value line holds its own position, so each field shows where it was read.
    std::vector<std::string> lines = {"[K_VBat_V]", "1", "[PARAMETRI DI TARATURA]"};
    for (int pos = 1; pos <= kCalibrationLastPosition; ++pos)
        lines.push_back(pos % 2 ? "label " + std::to_string(pos) : std::to_string(pos) + ",25");
    CalibrationParameters p;
    const Warnings warnings = ApplyCalibrationParameters(lines, p, "Workbench");
    const std::pair<double, double> expected[] = {
        {p.WarmTempMin, 2},       {p.SettleTicks, 4},     {p.IdleRefTicks, 6},     {p.HighHoldTicks, 8},
        {p.HighRefTicks, 10},     {p.MaxCycleTicks, 12},  {p.MaxPauseTicks, 14},   {p.MaxZeroLimit, 16},
        {p.MaxCycleLimit, 18},    {p.HighSpeedTarget, 20.25}, {p.HighSpeedTol, 22.25}, {p.MaxTimeTol, 24.25},
        {p.MaxGain, 26.25},       {p.MaxStep, 28.25},     {p.IdleSpeedTol, 30.25}, {p.BackToIdleTicks, 32},
        {p.MinCycleTicks, 34},    {p.MinPauseTicks, 36},  {p.MinZeroLimit, 38},    {p.MinTimeTol, 40.25},
        {p.MinGain, 42.25},       {p.MinCycleLimit, 44},  {p.MinStep, 46.25},      {p.OffsetMax, 48.25},
        {p.AlfaMax, 62.25},       {p.AlfaMin, 64.25},     {p.OffsetMin, 66.25},
    };
    for (size_t i = 0; i < std::size(expected); ++i) EXPECT_EQ(expected[i].first, expected[i].second) << i;
    EXPECT_TRUE(warnings.empty());
}

TEST(CalibrationParameters, BadShortOrMissingValuesKeepTheDefaults) {
    const CalibrationParameters d;
    CalibrationParameters p;
    // Position 2 not numeric, 4 beyond 16 bits, 6 negative, and the section ends at 7.
    const Warnings warnings =
        ApplyCalibrationParameters({"[PARAMETRI DI TARATURA]", "l", "50 C", "l", "40000", "l", "-3", "l"}, p, "Workbench");
    EXPECT_EQ(p.WarmTempMin, d.WarmTempMin);
    EXPECT_EQ(p.SettleTicks, d.SettleTicks);
    EXPECT_EQ(p.IdleRefTicks, -3);
    EXPECT_EQ(p.AlfaMin, d.AlfaMin);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].text, "Config calibration parameters errorErrorLeggiParametriTaratura_Err:\r\r6 - Overflow");
    EXPECT_EQ(warnings[0].title, "Workbench: Error");
    EXPECT_EQ(warnings[0].icon, MsgIcon::Critical);

    p.AlfaMin = 1;
    EXPECT_TRUE(ApplyCalibrationParameters({"[PARAMETRI DI TARATURA ]", "l", "1"}, p, "Workbench").empty());
    EXPECT_EQ(p.AlfaMin, d.AlfaMin);
    EXPECT_EQ(p.WarmTempMin, d.WarmTempMin);
}
