#include "model/CalibrationParameters.h"

#include <cstddef>
#include <utility>
#include <variant>

#include "model/ConfigScaleFile.h"
#include "util/ErrorReport.h"

namespace gw {

namespace {

using Field = std::variant<std::int16_t CalibrationParameters::*, double CalibrationParameters::*>;

struct Position {
    int pos;
    Field field;
};

const Position kPositions[] = {
    {2, &CalibrationParameters::WarmTempMin},      {4, &CalibrationParameters::SettleTicks},
    {6, &CalibrationParameters::IdleRefTicks},     {8, &CalibrationParameters::HighHoldTicks},
    {10, &CalibrationParameters::HighRefTicks},    {12, &CalibrationParameters::MaxCycleTicks},
    {14, &CalibrationParameters::MaxPauseTicks},   {16, &CalibrationParameters::MaxZeroLimit},
    {18, &CalibrationParameters::MaxCycleLimit},   {20, &CalibrationParameters::HighSpeedTarget},
    {22, &CalibrationParameters::HighSpeedTol},    {24, &CalibrationParameters::MaxTimeTol},
    {26, &CalibrationParameters::MaxGain},         {28, &CalibrationParameters::MaxStep},
    {30, &CalibrationParameters::IdleSpeedTol},    {32, &CalibrationParameters::BackToIdleTicks},
    {34, &CalibrationParameters::MinCycleTicks},   {36, &CalibrationParameters::MinPauseTicks},
    {38, &CalibrationParameters::MinZeroLimit},    {40, &CalibrationParameters::MinTimeTol},
    {42, &CalibrationParameters::MinGain},         {44, &CalibrationParameters::MinCycleLimit},
    {46, &CalibrationParameters::MinStep},         {48, &CalibrationParameters::OffsetMax},
    {62, &CalibrationParameters::AlfaMax},         {64, &CalibrationParameters::AlfaMin},
    {66, &CalibrationParameters::OffsetMin},
};

}  // namespace

Warnings ApplyCalibrationParameters(const std::vector<std::string>& lines, CalibrationParameters& params,
                                    const std::string& appTitle) {
    params = CalibrationParameters{};
    Warnings warnings;
    std::size_t header = 0;
    while (header < lines.size() && lines[header] != "[PARAMETRI DI TARATURA]") ++header;
    if (header == lines.size()) return warnings;

    for (const Position& p : kPositions) {
        const std::size_t at = header + static_cast<std::size_t>(p.pos);
        if (at >= lines.size()) break;
        const auto value = CommaNumberValue(lines[at]);
        if (!value) continue;
        if (const auto real = std::get_if<double CalibrationParameters::*>(&p.field)) {
            params.*(*real) = *value;
        } else if (const auto whole = RoundToInt16(*value)) {
            params.*std::get<std::int16_t CalibrationParameters::*>(p.field) = *whole;
        } else if (warnings.empty()) {
            warnings.push_back(ErrorReportWarning(appTitle, "LeggiParametriTaratura_Err",
                                                  "Config calibration parameters error", ErrorInfo{6, "Overflow"}));
        }
    }
    return warnings;
}

Warnings ReadCalibrationParameters(const std::string& path, CalibrationParameters& params,
                                   const std::string& appTitle, Host* events) {
    auto read = LoadConfigScaleLines(path, events);
    AppendWarnings(read.warnings,
                   ApplyCalibrationParameters(read.value ? *read.value : std::vector<std::string>{}, params, appTitle));
    return std::move(read.warnings);
}

}  // namespace gw
