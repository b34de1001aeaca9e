// CalibrationRules: the arithmetic of the automatic calibration, free of state and of the
// ECU: the correction of Offset from one gas cycle (tolerance band, gain, step limit, the
// 0.104 ms quantum), the idle place of point 1, the enrichment adaptation from an injector
// type's Note, the final check of the model and its table against the limits, and the
// report line. The state machine that uses them is Calibration.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/CalibrationParameters.h"
#include "model/ModelRecord.h"
#include "model/TimeTable.h"
#include "util/NumberLocale.h"

namespace gw {

// The correction quantum, held in single precision as the model page's Offset step.
inline constexpr double kCorrectionQuantum = static_cast<double>(0.104f);

// Nearest whole number, ties to the even one, on the exact binary value.
double RoundHalfEvenExact(double x);

// The correction of Offset from a gas cycle: measured time G against the reference R with
// tolerance t, gain k and step limit S. For the raised-speed phase the measured and
// reference speeds (g, r) must also be inside the band for a zero correction. The result is
// a whole number of 0.104 ms quanta, rounded to 3 decimals.
struct CorrectionInput {
    double measured = 0;   // G
    double reference = 0;  // R
    double tolerance = 0;  // t
    double gain = 0;       // k
    double maxStep = 0;    // S
    std::optional<double> measuredSpeed;   // g (raised speed only)
    std::optional<double> referenceSpeed;  // r
};
double CorrectionRule(const CorrectionInput& in);

// Point 1's place at idle: IdleRefTime x 1.25 in whole 0.128 ms steps (ties to even, a
// decimal tie counting as one), as a single-precision value.
float IdlePlace(double idleRefTime);

// ---- the enrichment adaptation ----
// An injector type's Note: items separated by ";", each trimmed of blanks:
//   R            every enrichment back to 0
//   P<n>+<v>     point n's enrichment raised by v ms      (n = 0 ... 6)
//   P<n>-<v>     lowered by v ms
//   P<n>*<f>     multiplied by f
//   P<n>#<v>     set to v ms
// Numbers take a decimal comma or point. Items are applied in order; every result is held
// to whole 0.104 ms steps (the model page's enrichment step) and to a gas time inside the
// plot (0 ... 31 ms). An empty item is skipped; any other item is not understood and is
// returned in `ignored` without changing anything.
struct NoteItem {
    char op = 0;  // 'R', '+', '-', '*', '#'
    int point = -1;
    double value = 0;
};
struct ParsedNote {
    std::vector<NoteItem> items;
    std::vector<std::string> ignored;
};
ParsedNote ParseInjectorNote(const std::string& note);
// Applies the note to the model's enrichments and recomputes points 0 ... 5; the places,
// Alfa and Offset stay as they are. Returns the items that were not understood.
std::vector<std::string> AdaptEnrichments(ModelRecord& model, const std::string& note);

// ---- the final check ----
struct FinalCheckLimits {
    double OffsetMin = 0, OffsetMax = 0, AlfaMin = 0, AlfaMax = 0;
    double InjLimitHigh = 0, InjLimitLow = 0;
    double IdleRefTime = 0;
};
// Holds Offset and Alfa to their limits (codes 1-4, the first that applies), builds the
// table from the model, then holds the entries above the idle time between the two limit
// curves (codes 5 and 6 when no code was set before). Returns the result code (0: none).
int FinalCheck(ModelRecord& model, TimeTable& table, const FinalCheckLimits& limits);
// The limit a code 1-4 applied (for the result text); 0 for other codes.
double LimitOfCode(int code, const FinalCheckLimits& limits);

// ---- the report ----
// One report line (without quotes): label, " TInjRef ", reference, " TInjMed ", measured,
// " TCorr ", correction, " Offset ", offset, " TempVap ", temperature, " PressVap ",
// pressure; every number rounded to 4 decimals (ties to even) in the shortest form with the
// locale's decimal separator.
std::string ReportLine(const std::string& label, double reference, double measured, double correction,
                       double offset, double temperature, double pressure, const NumberLocale& locale);
// The number as the report writes it.
std::string ReportNumber(double value, const NumberLocale& locale);
// Appends the line, enclosed in double quotes and ended by CR LF, to the report file. The
// file is written whole to a temporary file and renamed over the old one, so it is never
// left half-written; false (and the line lost) when that fails.
bool ScriviDatiTaratura(const std::string& path, const std::string& line);

}  // namespace gw
