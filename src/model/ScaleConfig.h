// The scale and type configuration read from "\LNG\ConfigScale.ini": the constants that
// turn ECU counts into milliseconds and volts, the expert passwords, the ECU variant
// codes, the map-page speed thresholds, and the tables of gas-level sensor, injector and
// lambda sensor types. Each reader keeps built-in defaults for what the file lacks; the
// calibration parameters of the same file live in CalibrationParameters.h.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "util/Host.h"
#include "util/NumberLocale.h"
#include "util/Warnings.h"

namespace gw {

// One gas-level sensor type ("[GasLevel_nn]" and eleven value lines).
struct GasLevelType {
    std::string Name;
    std::int16_t Code = 0;                    // block 3 TpyGLS of this type
    std::string Text2;                        // unit text shown beside the thresholds
    std::array<std::int16_t, 6> Thresholds{}; // block 3 Level elements 0-5, see below
    double Scale = 0;                         // full-scale voltage of the sensor
    std::uint8_t Flag = 0;                    // non-zero: inverted sensor (level falls as the count rises)

    // Elements 0-3 are the default level thresholds T1-T4; element 4 is the sensor's
    // full-scale raw count; element 5 goes to the ECU as given.
    static constexpr int kFullScaleElement = 4;
    static constexpr int kDefaultFullScaleCount = 1023;

    std::int16_t Threshold(int k) const { return Thresholds[static_cast<std::size_t>(k)]; }  // k = 0 ... 3: T1-T4
    // The full-scale raw count; the ECU's 10-bit converter range when the type gives none.
    int FullScaleCount() const {
        const int n = Thresholds[kFullScaleElement];
        return n > 0 ? n : kDefaultFullScaleCount;
    }
    double FullScaleVolts() const { return Scale; }
    const std::string& Unit() const { return Text2; }
    bool Inverted() const { return Flag != 0; }
};

// One injector type ("[InjType_nn]" and seven value lines). Times are in ms.
struct InjType {
    std::int16_t Code = 0;    // the section number; block 3 TpyInj of this type
    std::string Name;
    double Time1 = 0;         // becomes block 3 InjTime1
    double Time3 = 0;         // becomes PwmTime2 (the file's third value line)
    double Time2 = 0;         // becomes PwmTime1 (the file's fourth value line)
    double LimitHigh = 0;     // ceiling of the correction-table entries
    double LimitLow = 0;      // floor of the entries: LimitLow minus the entry's petrol time
    // Enrichment-adaptation descriptor for the end of the automatic calibration, items
    // separated by ";". The shipped types use "R" (enrichments back to 0) and
    // "P<point><op><value>" with op "+", "-", "*" or "#" (add, subtract, multiply, set),
    // e.g. "R;P1+0,2;P6*0,9"; interpreting them is the calibration's business.
    std::string Note;
};

// One lambda sensor type ("[Lambda_nn]" and four value lines).
struct LambdaType {
    static constexpr int kCurvePoints = 11;
    std::string Name;
    std::int16_t Code = 0;    // block 3 SwtchLambdaType of this type
    double Scale = 0;         // volts per lambda count, replaces K_Lambda_V when chosen
    std::array<float, kCurvePoints> Curve{};  // ten equal steps from the first to the last value
};

struct ScaleConfig {
    double K_Time_Inj_ms = 8.0 / 1000.0;
    double K_Time_Pwm_ms = 1.0;
    double K_VBat_V = 3360.0 / 100.0 / 1024.0;
    double K_Lambda_V = 0.001;
    // One general-timer count is 25 ms: the block-3 delays (switch-over, forced switch-over,
    // end of gas) are counts, shown in seconds as counts x 0.025.
    double K_Timer_Gen_ms = 25.0 / 1000.0;
    double K_VLevel_Sens_mV = 0.0;
    std::string PassWord00;
    std::string PassWord01;
    double SommaTempoInj = 0.6;               // ms added to live gas times
    std::string ControlPetrolFirmware;        // 12 digits: version, day, month, year; empty: none
    std::string SL_4Cil, SL_6Cil, SL_8Cil;    // ECU variant codes (numbers as text)
    std::vector<std::pair<int, int>> SoglieMapping{{2200, 2700}};
    bool CkbeV02Visible = false;
    int StepBadBitUs = 96;
    bool AddTimeSwitch = true;                // on at start-up; recomputed after each complete read

    std::vector<GasLevelType> GasLevelTypes;  // indexed by section number
    std::vector<InjType> InjTypes{InjType{}}; // file order
    std::vector<LambdaType> LambdaTypes{NullLambdaType()};  // indexed by section number

    static LambdaType NullLambdaType();
};

// Most "[SOGLIE MAPPING]" pairs taken; further groups are ignored.
constexpr std::size_t kMaxMappingPairs = 64;

// The readers take the user's number format; the path readers also take the host, when
// there is one, only to let its events run once the file is in. They show nothing: what
// they found wrong comes back as warnings, for the caller to show or print.

// First reader (start-up): every scale constant and setting back to its default (the add-
// time switch on), then the file's values; the type tables are left alone. A value that is not numeric keeps its default without a message; a zero
// divisor constant (K_Time_Inj_ms, K_Time_Pwm_ms, K_Timer_Gen_ms) keeps its default too.
// The only warnings are those of reading the file.
[[nodiscard]] Warnings ReadScaleConstants(const NumberLocale& locale, const std::string& path, ScaleConfig& cfg,
                                          Host* events = nullptr);
// The same on lines already read (defaults first, then the lines).
void ApplyScaleConstants(const NumberLocale& locale, const std::vector<std::string>& lines, ScaleConfig& cfg);

// Most conversion warnings one type reading gives (a damaged file cannot bury the user in
// boxes); the rest of the file is still read.
constexpr std::size_t kMaxTypeWarnings = 5;

// Type readers. A missing file leaves the table as it is; otherwise the table is rebuilt.
// A value that cannot be converted gives the common error box as a warning (titled with
// appTitle) and the field keeps its default; so does a header whose number is not 0 ... 99,
// whose section is then skipped.
[[nodiscard]] Warnings ReadGasLevelTypes(const NumberLocale& locale, const std::string& path, ScaleConfig& cfg,
                                         const std::string& appTitle, Host* events = nullptr);
[[nodiscard]] Warnings ReadInjTypes(const NumberLocale& locale, const std::string& path, ScaleConfig& cfg,
                                    const std::string& appTitle, Host* events = nullptr);
// absentSensorName replaces the name of section 0 (the configuration page's text for no
// lambda sensor, current language); an empty text keeps the file's name.
[[nodiscard]] Warnings ReadLambdaTypes(const NumberLocale& locale, const std::string& path, ScaleConfig& cfg,
                                       const std::string& appTitle, const std::string& absentSensorName,
                                       Host* events = nullptr);

// The same on lines already read (the table is always rebuilt).
[[nodiscard]] Warnings ApplyGasLevelTypes(const NumberLocale& locale, const std::vector<std::string>& lines,
                                          ScaleConfig& cfg, const std::string& appTitle);
[[nodiscard]] Warnings ApplyInjTypes(const NumberLocale& locale, const std::vector<std::string>& lines,
                                     ScaleConfig& cfg, const std::string& appTitle);
[[nodiscard]] Warnings ApplyLambdaTypes(const NumberLocale& locale, const std::vector<std::string>& lines,
                                        ScaleConfig& cfg, const std::string& appTitle,
                                        const std::string& absentSensorName);

// Index of the first record with that code, or -1.
int FindGasLevelType(const ScaleConfig& cfg, int code);
int FindLambdaType(const ScaleConfig& cfg, int code);

}  // namespace gw
