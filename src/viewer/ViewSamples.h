// The viewer's samples: one per live-value answer found in a communication log. A sample
// keeps the answer's 85 data bytes as they came and its time stamp, so a million samples
// stay small; the engineering values (the sample record) are decoded from them on demand
// with the log's own constants (engine speed, lambda) and the program's scale constants.
// Reading logs and drawing traces are other files' business.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/ScaleConfig.h"

namespace gw::view {

inline constexpr std::size_t kSampleDataBytes = 85;

// The constants a log carries in its header ("[K_gm]", "[K_Lambda]"), with their defaults.
struct LogConstants {
    double K_gm = 15000000;  // engine-speed constant: rpm = K_gm / period
    double K_Lambda = 0.001; // volts per lambda count
    bool operator==(const LogConstants&) const = default;
};

// The program's own scale constants used on every sample.
struct SampleScales {
    double K_Time_Inj_ms = 0.008;
    double K_VBat_V = 3360.0 / 100.0 / 1024.0;
    double SommaTempoInj = 0.6;  // added to gas times above 0 while AddTimeSwitch is on
    bool AddTimeSwitch = true;
    static SampleScales From(const ScaleConfig& s) {
        return SampleScales{s.K_Time_Inj_ms, s.K_VBat_V, s.SommaTempoInj, s.AddTimeSwitch};
    }
};

struct RawSample {
    double timeMs = 0;
    std::array<std::uint8_t, kSampleDataBytes> data{};
};

// A sample in engineering units. Per-injector arrays: the answer's k-th entry is element 7 - k.
struct SampleRecord {
    std::array<double, 8> InjTimeBnz{};  // ms
    std::array<double, 8> InjTimeGas{};  // ms, with the added time
    std::array<double, 8> Skipped{};     // the 16 bytes the live display skips, as gas times (no added time)
    std::array<double, 8> InjTimeAux{};  // ms
    std::int32_t Rpm = 0;
    double Pressure = 0;
    double Vacuum = 0;
    double LambdaV = 0;
    std::uint8_t StatusBits = 0;
    std::array<std::uint8_t, 2> Status2{};
    double SensorRaw = 0;
    std::int16_t TempReducer = 0;
    std::int16_t TempGas = 0;
    double SupplyV = 0;
    double GasLevelRaw = 0;
    double TimeMs = 0;
};

SampleRecord DecodeSample(const RawSample& raw, const LogConstants& k, const SampleScales& s);

// The eight traces of the viewer, in the order of its channel check boxes.
enum Channel { kChGas = 0, kChBenz, kChVacuum, kChPress, kChLambda, kChRpm, kChTempInj, kChTempGas, kChannels };

// The captions, as the viewer shows them and "\LNG\OsciConfig.ini" names them.
extern const std::array<const char*, kChannels> kChannelCaptions;
// The unit of each channel's value ("ms", "mbar" ...), for labels and the CSV header.
extern const std::array<const char*, kChannels> kChannelUnits;

// The value a channel draws for a sample: the injector (0-7) chosen for the two time channels.
double ChannelValue(const SampleRecord& r, int channel, int injector);
// The same straight from the raw bytes (the drawing's fast path; equal to the above).
double ChannelValue(const RawSample& raw, int channel, int injector, const LogConstants& k, const SampleScales& s);

// The samples of a log (or of one window of it) and the constants they are decoded with.
struct SampleSet {
    std::vector<RawSample> samples;
    LogConstants constants;
    double FirstMs() const { return samples.empty() ? 0 : samples.front().timeMs; }
    double LastMs() const { return samples.empty() ? 0 : samples.back().timeMs; }
};

}  // namespace gw::view
