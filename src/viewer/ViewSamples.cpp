#include "viewer/ViewSamples.h"

#include <cmath>

namespace gw::view {

namespace {

inline unsigned U16(const RawSample& r, std::size_t at) {
    return static_cast<unsigned>(r.data[at]) | (static_cast<unsigned>(r.data[at + 1]) << 8);
}
inline int S16(const RawSample& r, std::size_t at) { return static_cast<std::int16_t>(U16(r, at)); }

std::int32_t Speed(double kgm, unsigned period) {
    if (period < 1) return 0;
    const double rpm = std::nearbyint(kgm / period);
    // A damaged constant must not overflow the whole number.
    if (!std::isfinite(rpm) || std::fabs(rpm) > 2e9) return 0;
    return static_cast<std::int32_t>(rpm);
}

double GasTime(unsigned count, const SampleScales& s) {
    double t = count * s.K_Time_Inj_ms;
    if (s.AddTimeSwitch && t > 0) t += s.SommaTempoInj;
    return t;
}

}  // namespace

const std::array<const char*, kChannels> kChannelCaptions = {"T Inj Gas", "T Inj Benz", "Vacuum", "Press",
                                                             "Lambda",    "Rpm",        "Temp Inj", "Temp Gas"};
const std::array<const char*, kChannels> kChannelUnits = {"ms", "ms", "mbar", "mbar", "V", "rpm", "C", "C"};

SampleRecord DecodeSample(const RawSample& raw, const LogConstants& k, const SampleScales& s) {
    SampleRecord r;
    for (std::size_t i = 0; i < 8; ++i) {
        const std::size_t slot = 7 - i;
        r.InjTimeBnz[slot] = S16(raw, 2 * i) * s.K_Time_Inj_ms;
        r.InjTimeGas[slot] = GasTime(U16(raw, 16 + 2 * i), s);
        r.Skipped[slot] = U16(raw, 32 + 2 * i) * s.K_Time_Inj_ms;
        r.InjTimeAux[slot] = S16(raw, 48 + 2 * i) * s.K_Time_Inj_ms;
    }
    r.Rpm = Speed(k.K_gm, U16(raw, 64));
    r.Pressure = U16(raw, 66);
    r.Vacuum = U16(raw, 68);
    r.LambdaV = U16(raw, 70) * k.K_Lambda;
    r.StatusBits = raw.data[72];
    r.Status2 = {raw.data[73], raw.data[74]};
    r.SensorRaw = U16(raw, 75);
    r.TempReducer = static_cast<std::int16_t>(S16(raw, 77));
    r.TempGas = static_cast<std::int16_t>(S16(raw, 79));
    r.SupplyV = U16(raw, 81) * s.K_VBat_V;
    r.GasLevelRaw = U16(raw, 83);
    r.TimeMs = raw.timeMs;
    return r;
}

double ChannelValue(const SampleRecord& r, int channel, int injector) {
    const std::size_t inj = static_cast<std::size_t>(injector & 7);
    switch (channel) {
        case kChGas: return r.InjTimeGas[inj];
        case kChBenz: return r.InjTimeBnz[inj];
        case kChVacuum: return r.Vacuum;
        case kChPress: return r.Pressure;
        case kChLambda: return r.LambdaV;
        case kChRpm: return r.Rpm;
        case kChTempInj: return r.TempReducer;
        case kChTempGas: return r.TempGas;
        default: return 0;
    }
}

double ChannelValue(const RawSample& raw, int channel, int injector, const LogConstants& k, const SampleScales& s) {
    // Element e of an injector array is the answer's entry 7 - e.
    const std::size_t entry = 7 - static_cast<std::size_t>(injector & 7);
    switch (channel) {
        case kChGas: return GasTime(U16(raw, 16 + 2 * entry), s);
        case kChBenz: return S16(raw, 2 * entry) * s.K_Time_Inj_ms;
        case kChVacuum: return U16(raw, 68);
        case kChPress: return U16(raw, 66);
        case kChLambda: return U16(raw, 70) * k.K_Lambda;
        case kChRpm: return Speed(k.K_gm, U16(raw, 64));
        case kChTempInj: return S16(raw, 77);
        case kChTempGas: return S16(raw, 79);
        default: return 0;
    }
}

}  // namespace gw::view
