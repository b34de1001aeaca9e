// The parameters of the automatic calibration, read from the section
// "[PARAMETRI DI TARATURA]" of "\LNG\ConfigScale.ini": one field per value position, with
// its built-in default (0 where the calibration has none). Using them is the calibration's
// business, not this file's.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "util/Host.h"
#include "util/Warnings.h"

namespace gw {

struct CalibrationParameters {
    std::int16_t WarmTempMin = 50;        // pos 2: reducer temperature to exceed before the start (°C)
    std::int16_t SettleTicks = 40;        // pos 4
    std::int16_t IdleRefTicks = 8;        // pos 6
    std::int16_t HighHoldTicks = 30;      // pos 8
    std::int16_t HighRefTicks = 8;        // pos 10
    std::int16_t MaxCycleTicks = 10;      // pos 12
    std::int16_t MaxPauseTicks = 10;      // pos 14
    std::int16_t MaxZeroLimit = 0;        // pos 16
    std::int16_t MaxCycleLimit = 0;       // pos 18
    double HighSpeedTarget = 2200;        // pos 20 (rpm)
    double HighSpeedTol = 0.1;            // pos 22
    double MaxTimeTol = 0;                // pos 24
    double MaxGain = 0;                   // pos 26
    double MaxStep = 0;                   // pos 28 (ms)
    double IdleSpeedTol = 0;              // pos 30
    std::int16_t BackToIdleTicks = 40;    // pos 32
    std::int16_t MinCycleTicks = 10;      // pos 34
    std::int16_t MinPauseTicks = 6;       // pos 36
    std::int16_t MinZeroLimit = 0;        // pos 38
    double MinTimeTol = 0;                // pos 40
    double MinGain = 0;                   // pos 42
    std::int16_t MinCycleLimit = 0;       // pos 44
    double MinStep = 0;                   // pos 46 (ms)
    double OffsetMax = 0;                 // pos 48 (ms)
    // positions 50 ... 60 belong to the file's layout and are not used
    double AlfaMax = 0;                   // pos 62
    double AlfaMin = 0.75;                // pos 64
    double OffsetMin = 0;                 // pos 66 (ms)
};

// Value positions counted from the section header: 2, 4, ... 66.
constexpr int kCalibrationLastPosition = 66;

// Fifth reader (start-up): all defaults, then the section's values. A value that is not
// a decimal-comma number keeps its default; a whole-number value outside the 16-bit range
// keeps its default and gives, once per reading, the common error box (titled with
// appTitle) as a warning. A missing file or section leaves all defaults. The host, when
// given, only lets its events run once the file is in; nothing is shown here.
[[nodiscard]] Warnings ReadCalibrationParameters(const std::string& path, CalibrationParameters& params,
                                                 const std::string& appTitle, Host* events = nullptr);
[[nodiscard]] Warnings ApplyCalibrationParameters(const std::vector<std::string>& lines,
                                                  CalibrationParameters& params, const std::string& appTitle);

}  // namespace gw
