// Fuzz target: the readers of "\LNG\ConfigScale.ini" on lines (scale constants, the three
// type tables, the calibration parameters) and the line-level helpers they share. Any
// lines are read without a crash, the divisor constants stay usable, the tables keep to
// their section numbers, every converted value is in its type's range, and the warnings
// of one reading stay few. No host is involved: the readers show nothing.
#include <cmath>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "link/EncodedFiles.h"
#include "model/CalibrationParameters.h"
#include "model/ConfigScaleFile.h"
#include "model/ScaleConfig.h"
#include "util/NumberLocale.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace gw;
    if (size > 64 * 1024) return 0;
    const std::vector<std::string> lines =
        SplitFileLines(std::string(reinterpret_cast<const char*>(data), size));
    // Half the inputs read numbers in the decimal-comma format, half in the dot format.
    const NumberLocale locale = size % 2 ? NumberLocale::Dot() : NumberLocale::Comma();

    ScaleConfig cfg;
    ApplyScaleConstants(locale, lines, cfg);
    for (double k : {cfg.K_Time_Inj_ms, cfg.K_Time_Pwm_ms, cfg.K_Timer_Gen_ms}) FUZZ_CHECK(k != 0);
    FUZZ_CHECK(cfg.SoglieMapping.size() <= kMaxMappingPairs);

    FUZZ_CHECK(ApplyGasLevelTypes(locale, lines, cfg, "fuzz").size() <= kMaxTypeWarnings);
    FUZZ_CHECK(ApplyInjTypes(locale, lines, cfg, "fuzz").size() <= kMaxTypeWarnings);
    FUZZ_CHECK(ApplyLambdaTypes(locale, lines, cfg, "fuzz", "NO LAMBDA").size() <= kMaxTypeWarnings);
    FUZZ_CHECK(cfg.GasLevelTypes.size() <= kMaxSectionNumber + 1);
    FUZZ_CHECK(cfg.LambdaTypes.size() <= kMaxSectionNumber + 1);
    for (const auto& t : cfg.InjTypes) FUZZ_CHECK(t.Code >= 0 && t.Code <= kMaxSectionNumber);
    for (const auto& t : cfg.GasLevelTypes) FUZZ_CHECK(t.FullScaleCount() > 0);
    (void)FindGasLevelType(cfg, 3);
    (void)FindLambdaType(cfg, 1);

    CalibrationParameters params;
    FUZZ_CHECK(ApplyCalibrationParameters(lines, params, "fuzz").size() <= 1);

    // The shared helpers on every line.
    for (std::size_t i = 0; i < lines.size() && i < 512; ++i) {
        const std::string& l = lines[i];
        if (const auto n = SectionNumber(l, "[InjType_")) FUZZ_CHECK(*n >= 0 && *n <= kMaxSectionNumber);
        if (const auto list = ReadConfigList(lines, l)) FUZZ_CHECK(list->size() <= kMaxConfigListItems);
        if (const auto v = FindConfigValue(lines, l)) FUZZ_CHECK(v->size() <= size);
        (void)CommaNumberValue(l);
        (void)LocaleNumberValue(l, locale);
        (void)Int16Value(l, locale);
        (void)ByteValue(l, locale);
        if (const auto d = CommaNumberValue(l)) (void)RoundToInt16(*d);
    }
    return 0;
}
