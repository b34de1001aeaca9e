// ParameterImage: block 1 (live values) and block 2 (mode and counters): decoding the
// ECU's answers and encoding block 2 with its pending record merged in.
#include <cmath>

#include "link/ModComm.h"
#include "model/HexFields.h"
#include "model/ParameterImage.h"

namespace gw {

void ParameterImage::DecodeBlock1(const std::string& frame) {
    Block1Prev = Block1;
    Block1.SampleTimeMs = comm_.host().MicroClock() / 1000.0;
    const HexFieldReader r(BytesToHex(DatiMsg(frame)));
    const double k = scale_.K_Time_Inj_ms;
    for (std::size_t i = 0; i < kInjectors; ++i) {
        const std::size_t slot = kInjectors - 1 - i;  // the k-th entry lands in element 7 - k
        if (auto v = r.S16(2 * i)) Block1.InjTimeBnz[slot] = *v * k;
        if (auto v = r.U16(16 + 2 * i)) {
            double t = *v * k;
            if (scale_.AddTimeSwitch && t > 0) t += scale_.SommaTempoInj;
            Block1.InjTimeGas[slot] = t;
        }
        if (auto v = r.S16(48 + 2 * i)) Block1.InjTimeAux[slot] = *v * k;
    }
    // A period of 0 means no ignition pulses: the engine stands.
    if (auto p = r.U16(64)) Block1.Rpm = *p > 0 ? static_cast<int>(std::nearbyint(K_Rpm / *p)) : 0;
    if (auto v = r.U16(66)) Block1.Pressure = *v;
    if (auto v = r.U16(68)) Block1.Vacuum = *v;
    if (auto v = r.U16(70)) Block1.LambdaV = *v * scale_.K_Lambda_V;
    if (auto v = r.U8(72)) Block1.StatusBits = *v;
    if (auto v = r.U8(73)) Block1.Status2[0] = *v;
    if (auto v = r.U8(74)) Block1.Status2[1] = *v;
    if (auto v = r.U16(75)) Block1.SensorRaw = *v;
    if (auto v = r.S16(77)) Block1.TempReducer = *v;
    if (auto v = r.S16(79)) Block1.TempGas = *v;
    if (auto v = r.U16(81)) Block1.SupplyV = *v * scale_.K_VBat_V;
    if (auto v = r.U16(83)) Block1.GasLevelRaw = *v;
}

void ParameterImage::DecodeBlock2(const std::string& frame) { DecodeBlock2Hex(BytesToHex(DatiMsg(frame))); }

void ParameterImage::DecodeBlock2Hex(const std::string& dataHex) {
    Block2Backup = Block2;
    const HexFieldReader r(dataHex);
    if (auto v = r.U8(0)) Block2.Mode = *v;
    if (auto v = r.U8(1)) Block2.Mode2 = *v;
    if (auto v = r.U8(2)) Block2.SlaveState = *v;
    if (auto v = r.U32(3)) Block2.Minutes1 = *v;
    if (auto v = r.U32(7)) Block2.Minutes2 = *v;
    if (auto v = r.U8(11)) Block2.AbilAcq[0] = *v;
    if (auto v = r.U8(12)) Block2.AbilAcq[1] = *v;
    if (auto v = r.U8(13)) Block2.Flags2 = *v;
}

std::string ParameterImage::EncodeBlock2() {
    Block2Record& p = Block2Pending;
    Block2Record& b = Block2;
    auto byte = [](int& image, int& pending) {
        if (pending != kNoChangeByte) image = pending;
        pending = kNoChangeByte;
    };
    auto counter = [](double& image, double& pending) {
        if (pending != kNoChangeCounter) image = pending;
        pending = kNoChangeCounter;
    };
    byte(b.Mode, p.Mode);
    byte(b.Mode2, p.Mode2);
    byte(b.SlaveState, p.SlaveState);
    counter(b.Minutes1, p.Minutes1);
    counter(b.Minutes2, p.Minutes2);
    for (std::size_t i = 0; i < 2; ++i) {
        if (p.AbilAcq[i] == 0 || p.AbilAcq[i] == 1) b.AbilAcq[i] = p.AbilAcq[i];
        p.AbilAcq[i] = kNoChangeByte;
    }
    byte(b.Flags2, p.Flags2);

    HexFieldWriter w;
    w.U8(b.Mode);
    w.U8(b.Mode2);
    w.U8(b.SlaveState);
    // A counter of -1 goes out as FF FF FF FF: the ECU clears it.
    w.U32(b.Minutes1 < 0 ? 4294967295.0 : b.Minutes1);
    w.U32(b.Minutes2 < 0 ? 4294967295.0 : b.Minutes2);
    w.U8(b.AbilAcq[0]);
    w.U8(b.AbilAcq[1]);
    w.U8(b.Flags2);
    return w.Hex();
}

}  // namespace gw
