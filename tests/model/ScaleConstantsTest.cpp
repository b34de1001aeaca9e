// Scale constants and settings, the shared file syntax (key lines, lists, section
// headers), the shipped ConfigScale.ini, and readers fed with files that are not.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <random>

#include "model/CalibrationParameters.h"
#include "model/ConfigScaleFile.h"
#include "model/ScaleConfig.h"
#include "support/TempDir.h"
#include "util/Warnings.h"

using namespace gw;

namespace {

struct ConstCase {
    const char* name;
    std::vector<std::string> lines;
    std::function<void(const ScaleConfig&)> check;
};

}  // namespace

TEST(ScaleConstants, KeysValuesAndTheirDefaults) {
    const ScaleConfig d;
    const std::vector<ConstCase> cases = {
        {"comma number", {"[K_Time_Inj_ms]", "0,004"}, [](auto& c) { EXPECT_DOUBLE_EQ(c.K_Time_Inj_ms, 0.004); }},
        {"negative", {"[K_Time_Inj_ms]", "-0,5"}, [](auto& c) { EXPECT_DOUBLE_EQ(c.K_Time_Inj_ms, -0.5); }},
        {"not numeric keeps default", {"[K_Time_Inj_ms]", "abc"}, [&](auto& c) { EXPECT_DOUBLE_EQ(c.K_Time_Inj_ms, 0.008); }},
        {"zero divisor keeps default", {"[K_Timer_Gen_ms]", "0", "[K_Time_Pwm_ms]", "0,0"},
         [&](auto& c) {
             EXPECT_DOUBLE_EQ(c.K_Timer_Gen_ms, 0.025);
             EXPECT_DOUBLE_EQ(c.K_Time_Pwm_ms, 1.0);
         }},
        {"zero multiplier taken", {"[K_VBat_V]", "0"}, [](auto& c) { EXPECT_EQ(c.K_VBat_V, 0.0); }},
        {"blanks around a comma number", {"[K_VLevel_Sens_mV]", "  4,8876 "}, [](auto& c) { EXPECT_DOUBLE_EQ(c.K_VLevel_Sens_mV, 4.8876); }},
        {"password untrimmed", {"[PassWord00]", " pw 1 ", "[PassWord01]", "x"},
         [](auto& c) {
             EXPECT_EQ(c.PassWord00, " pw 1 ");
             EXPECT_EQ(c.PassWord01, "x");
         }},
        {"add time in microseconds", {"[SommaTempoInj_usec]", "800"}, [](auto& c) { EXPECT_DOUBLE_EQ(c.SommaTempoInj, 0.8); }},
        {"add time empty keeps default", {"[SommaTempoInj_usec]", ""}, [](auto& c) { EXPECT_DOUBLE_EQ(c.SommaTempoInj, 0.6); }},
        {"add time not numeric", {"[SommaTempoInj_usec]", "6OO"}, [](auto& c) { EXPECT_DOUBLE_EQ(c.SommaTempoInj, 0.6); }},
        {"firmware padded", {"[Control_petrol_firmware]", " 13301062008 "}, [](auto& c) { EXPECT_EQ(c.ControlPetrolFirmware, "013301062008"); }},
        {"firmware cut to last 12", {"[Control_petrol_firmware]", "99013301062008"}, [](auto& c) { EXPECT_EQ(c.ControlPetrolFirmware, "013301062008"); }},
        {"firmware empty value", {"[Control_petrol_firmware]", ""}, [](auto& c) { EXPECT_EQ(c.ControlPetrolFirmware, "000000000000"); }},
        {"variant codes", {"[SL_4Cil]", " 260", "[SL_6Cil]", "262", "[SL_8Cil]", "264"},
         [](auto& c) {
             EXPECT_EQ(c.SL_4Cil, "260");
             EXPECT_EQ(c.SL_6Cil, "262");
             EXPECT_EQ(c.SL_8Cil, "264");
         }},
        {"mapping pairs", {"[SOGLIE MAPPING]", "1800,2300|2500,3000"},
         [](auto& c) { EXPECT_EQ(c.SoglieMapping, (std::vector<std::pair<int, int>>{{1800, 2300}, {2500, 3000}})); }},
        {"mapping bad group skipped", {"[SOGLIE MAPPING]", "1800,2300|x,1|2500"},
         [](auto& c) { EXPECT_EQ(c.SoglieMapping, (std::vector<std::pair<int, int>>{{1800, 2300}})); }},
        {"mapping garbage keeps default", {"[SOGLIE MAPPING]", "none"},
         [](auto& c) { EXPECT_EQ(c.SoglieMapping, (std::vector<std::pair<int, int>>{{2200, 2700}})); }},
        {"check box True", {"[CkbeV_02_VISIBILE]", "True"}, [](auto& c) { EXPECT_TRUE(c.CkbeV02Visible); }},
        {"check box number", {"[CkbeV_02_VISIBILE]", "-1"}, [](auto& c) { EXPECT_TRUE(c.CkbeV02Visible); }},
        {"check box garbage", {"[CkbeV_02_VISIBILE]", "maybe"}, [](auto& c) { EXPECT_FALSE(c.CkbeV02Visible); }},
        {"bad-bit step", {"[StepBadBit_us]", "120"}, [](auto& c) { EXPECT_EQ(c.StepBadBitUs, 120); }},
        {"bad-bit step zero keeps default", {"[StepBadBit_us]", "0"}, [](auto& c) { EXPECT_EQ(c.StepBadBitUs, 96); }},
        {"bad-bit step out of range", {"[StepBadBit_us]", "70000"}, [](auto& c) { EXPECT_EQ(c.StepBadBitUs, 96); }},
        {"key on the last line", {"[K_VBat_V]", "0,5", "[K_Lambda_V]"},
         [](auto& c) {
             EXPECT_DOUBLE_EQ(c.K_VBat_V, 0.5);
             EXPECT_DOUBLE_EQ(c.K_Lambda_V, 0.001);
         }},
        {"keys are whole and case-sensitive", {"[k_vbat_v]", "1", " [K_VBat_V]", "1", "[K_VBat_V] ", "1"},
         [&](auto& c) { EXPECT_DOUBLE_EQ(c.K_VBat_V, d.K_VBat_V); }},
        // A key's value line is never read as a key, except after "[StepBadBit_us]".
        {"value line skipped", {"[PassWord00]", "[K_VBat_V]", "0,5"},
         [&](auto& c) {
             EXPECT_EQ(c.PassWord00, "[K_VBat_V]");
             EXPECT_DOUBLE_EQ(c.K_VBat_V, d.K_VBat_V);
         }},
        {"value line of the bad-bit step scanned", {"[StepBadBit_us]", "[K_VBat_V]", "0,5"},
         [](auto& c) {
             EXPECT_EQ(c.StepBadBitUs, 96);
             EXPECT_DOUBLE_EQ(c.K_VBat_V, 0.5);
         }},
    };
    for (const ConstCase& tc : cases) {
        SCOPED_TRACE(tc.name);
        ScaleConfig cfg;
        ApplyScaleConstants(NumberLocale::Comma(), tc.lines, cfg);
        tc.check(cfg);
    }
}

TEST(ScaleConstants, EachReadingStartsFromTheDefaults) {
    gwtest::TempDir dir;
    const NumberLocale locale = NumberLocale::Comma();
    ScaleConfig cfg;
    cfg.K_Lambda_V = 0.005;  // as a chosen lambda type leaves it
    cfg.SoglieMapping = {{1, 2}, {3, 4}};
    cfg.PassWord00 = "old";
    cfg.AddTimeSwitch = false;
    const ScaleConfig d;

    EXPECT_TRUE(ReadScaleConstants(locale, dir.File("\\LNG\\ConfigScale.ini"), cfg).empty());  // missing file
    EXPECT_EQ(cfg.K_Lambda_V, d.K_Lambda_V);
    EXPECT_EQ(cfg.SoglieMapping, d.SoglieMapping);
    EXPECT_EQ(cfg.PassWord00, "");
    EXPECT_TRUE(cfg.AddTimeSwitch);

    cfg.K_Lambda_V = 0.005;
    const Warnings warnings = ReadScaleConstants(locale, dir.Write("\\LNG\\ConfigScale.ini", "[K_VBat_V]\r\n0,5\r\n"), cfg);
    EXPECT_EQ(cfg.K_Lambda_V, d.K_Lambda_V);
    EXPECT_DOUBLE_EQ(cfg.K_VBat_V, 0.5);
    EXPECT_TRUE(warnings.empty());
}

TEST(ConfigScaleFile, SectionNumbers) {
    const struct {
        const char* line;
        std::optional<int> number;
    } cases[] = {
        {"[GasLevel_03]", 3}, {"[GasLevel_99]", 99}, {"[GasLevel_7]", 7}, {"[GasLevel_00] x", 0},
        {"[GasLevel_9Z]", std::nullopt}, {"[GasLevel_-5]", std::nullopt}, {"[GasLevel_123]", std::nullopt},
        {"[GasLevel_]", std::nullopt}, {"[GasLevel_03", std::nullopt}, {"[Lambda_03]", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(SectionNumber(c.line, "[GasLevel_"), c.number);
    }
}

TEST(ConfigScaleFile, ValueListsForThePages) {
    const std::vector<std::string> lines = {"[RPM DI COMM.]", " 0|400| 600 ", "[CmbValuePreInj]", "0|0,5|", "[FORZA COMM.]"};
    EXPECT_EQ(ReadConfigList(lines, "[RPM DI COMM.]"), (std::vector<std::string>{"0", "400", " 600"}));
    EXPECT_EQ(ReadConfigList(lines, "[CmbValuePreInj]"), (std::vector<std::string>{"0", "0,5", ""}));
    EXPECT_EQ(ReadConfigList(lines, "[FORZA COMM.]"), std::nullopt);      // key on the last line
    EXPECT_EQ(ReadConfigList(lines, "[TEMP. DI COMM.]"), std::nullopt);   // missing
    EXPECT_EQ(FindConfigValue(lines, "[CmbValuePreInj]"), "0|0,5|");

    const std::vector<std::string> huge = {"[CmbDefTimeSovra]", std::string(1'000'000, '|')};
    EXPECT_EQ(ReadConfigList(huge, "[CmbDefTimeSovra]")->size(), kMaxConfigListItems);
}

TEST(ConfigScaleFile, WholeNumbersAreRangeCheckedAndRoundHalvesToEven) {
    const NumberLocale comma = NumberLocale::Comma();
    EXPECT_EQ(Int16Value("32767", comma), 32767);
    EXPECT_EQ(Int16Value("-32768", comma), -32768);
    EXPECT_EQ(Int16Value("32768", comma), std::nullopt);
    EXPECT_EQ(Int16Value("2,5", comma), 2);
    EXPECT_EQ(Int16Value("3,5", comma), 4);
    EXPECT_EQ(Int16Value("1e300", comma), std::nullopt);
    EXPECT_EQ(ByteValue("255", comma), 255);
    EXPECT_EQ(ByteValue("256", comma), std::nullopt);
    EXPECT_EQ(ByteValue("-1", comma), std::nullopt);
    // The file's decimal comma is read even where the user's format has a decimal point.
    EXPECT_EQ(LocaleNumberValue("2,5", NumberLocale::Dot()), 2.5);
    EXPECT_EQ(LocaleNumberValue("2.5", NumberLocale::Dot()), 2.5);
}

namespace {

// Every reader on one file; returns their warnings, in reading order.
Warnings ReadAll(const std::string& path, const NumberLocale& locale, ScaleConfig& cfg, CalibrationParameters& cal) {
    Warnings all = ReadScaleConstants(locale, path, cfg);
    AppendWarnings(all, ReadGasLevelTypes(locale, path, cfg, "Workbench"));
    AppendWarnings(all, ReadInjTypes(locale, path, cfg, "Workbench"));
    AppendWarnings(all, ReadLambdaTypes(locale, path, cfg, "Workbench", "Absent"));
    AppendWarnings(all, ReadCalibrationParameters(path, cal, "Workbench"));
    return all;
}

}  // namespace

TEST(ShippedConfigScale, ParsesCleanlyInEitherNumberFormat) {
    const std::string path = GW_SOURCE_DIR "/data/LNG/ConfigScale.ini";
    ScaleConfig cfg, dotCfg;
    CalibrationParameters cal, dotCal;
    for (const auto& w : ReadAll(path, NumberLocale::Comma(), cfg, cal)) ADD_FAILURE() << w.text;
    for (const auto& w : ReadAll(path, NumberLocale::Dot(), dotCfg, dotCal)) ADD_FAILURE() << w.text;

    EXPECT_EQ(cfg.GasLevelTypes.size(), 5u);
    EXPECT_EQ(cfg.InjTypes.size(), 4u);
    EXPECT_EQ(cfg.LambdaTypes.size(), 5u);
    EXPECT_EQ(cfg.SoglieMapping.size(), 3u);
    EXPECT_FALSE(cfg.SL_4Cil.empty());
    EXPECT_EQ(cfg.ControlPetrolFirmware.size(), 12u);
    EXPECT_EQ(cfg.LambdaTypes[0].Name, "Absent");
    for (size_t i = 0; i < cfg.GasLevelTypes.size(); ++i) {
        const GasLevelType& t = cfg.GasLevelTypes[i];
        EXPECT_EQ(FindGasLevelType(cfg, t.Code), static_cast<int>(i));
        EXPECT_GT(t.FullScaleVolts(), 0.0);
        EXPECT_EQ(t.Unit(), "V");
        for (int k = 1; k < 4; ++k) EXPECT_LE(t.Threshold(k - 1), t.Threshold(k));
        EXPECT_LE(t.Threshold(3), t.FullScaleCount());
    }
    bool inverted = false;
    for (const auto& t : cfg.GasLevelTypes) inverted |= t.Inverted();
    EXPECT_TRUE(inverted);
    for (const InjType& t : cfg.InjTypes) {
        EXPECT_FALSE(t.Name.empty());
        EXPECT_GT(t.LimitHigh, t.LimitLow);
        EXPECT_GT(t.Time1, 0.0);
        EXPECT_FALSE(t.Note.empty());
    }
    // Parameters without a built-in default are all given by the file.
    for (double v : {double(cal.MaxZeroLimit), double(cal.MaxCycleLimit), cal.MaxTimeTol, cal.MaxGain, cal.MaxStep,
                     cal.IdleSpeedTol, double(cal.MinZeroLimit), cal.MinTimeTol, cal.MinGain, double(cal.MinCycleLimit),
                     cal.MinStep, cal.OffsetMax, cal.AlfaMax, cal.OffsetMin})
        EXPECT_NE(v, 0.0);
    EXPECT_GT(cal.AlfaMax, cal.AlfaMin);
    EXPECT_GT(cal.OffsetMax, cal.OffsetMin);

    // The decimal comma of the file reads the same under either number format.
    for (size_t i = 0; i < cfg.InjTypes.size(); ++i) EXPECT_EQ(cfg.InjTypes[i].Time1, dotCfg.InjTypes[i].Time1);
    for (size_t i = 0; i < cfg.LambdaTypes.size(); ++i) EXPECT_EQ(cfg.LambdaTypes[i].Curve, dotCfg.LambdaTypes[i].Curve);
    for (size_t i = 0; i < cfg.GasLevelTypes.size(); ++i) EXPECT_EQ(cfg.GasLevelTypes[i].Scale, dotCfg.GasLevelTypes[i].Scale);

    const auto read = LoadConfigScaleLines(path);
    EXPECT_TRUE(read.warnings.empty());
    const auto& lines = read.value;
    ASSERT_TRUE(lines);
    for (const char* key : {"[RPM DI COMM.]", "[TEMP. DI COMM.]", "[FORZA COMM.]", "[SEQUENZA COMMUTAZIONE]",
                            "[PRESSIONI DI FINE GAS]", "[RITARDO DI FINE GAS]", "[SOGLIA RITARDO TEMP. DI COMM.]",
                            "[RITARDO TEMP. DI COMM.]", "[RITARDO TEMP. DI COMM. TAB.2]", "[CmbTemperUnderPreInj]",
                            "[CmbDefTimeSovra]", "[CmbValuePreInj]"}) {
        const auto items = ReadConfigList(*lines, key);
        ASSERT_TRUE(items) << key;
        for (const auto& item : *items) EXPECT_TRUE(CommaNumberValue(item)) << key << " " << item;
    }
}

TEST(ConfigScaleRobustness, FilesThatAreNotConfigurationKeepDefaults) {
    gwtest::TempDir dir;
    std::mt19937 rng(7);
    std::string garbage(200'000, '\0');
    for (char& c : garbage) c = static_cast<char>(rng());
    // Fragments of real syntax scattered through the noise.
    for (size_t at = 0; at + 40 < garbage.size(); at += 997)
        garbage.replace(at, 30, (at / 997) % 2 ? "\r\n[GasLevel_9Z]\r\n[Lambda_0" : "\r\n[InjType_01]\r\n[K_VBat_V]\r\n");

    // 100 MB (sparse) beginning like a configuration.
    const std::string big = dir.Write("big.ini", "[InjType_01]\r\nBig\r\n");
    std::filesystem::resize_file(big, 100u << 20);
    const struct {
        const char* name;
        std::string path;
    } files[] = {
        {"missing", dir.File("none.ini")},
        {"empty", dir.Write("empty.ini", "")},
        {"folder", dir.Path()},
        {"garbage", dir.Write("garbage.ini", garbage)},
        {"100 MB", big},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        ScaleConfig cfg;
        CalibrationParameters cal;
        const Warnings warnings = ReadAll(f.path, NumberLocale::Comma(), cfg, cal);
        EXPECT_LE(cfg.GasLevelTypes.size(), 100u);
        EXPECT_LE(cfg.InjTypes.size(), 100u);
        EXPECT_LE(cfg.LambdaTypes.size(), 100u);
        EXPECT_GE(cfg.InjTypes.size(), 1u);
        EXPECT_GE(cfg.LambdaTypes.size(), 1u);
        EXPECT_LE(warnings.size(), 3 * kMaxTypeWarnings + 1);  // at most a handful per reader
        if (std::string(f.name) != "garbage") {
            EXPECT_TRUE(warnings.empty());
            EXPECT_EQ(cfg.K_Time_Inj_ms, 0.008);
            EXPECT_EQ(cal.AlfaMin, 0.75);
            EXPECT_EQ(cfg.LambdaTypes[0].Name, "NULL");
        }
    }
}
