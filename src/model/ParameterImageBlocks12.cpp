// ParameterImage: block 1 (live values) and block 2 (mode and counters): decoding the
// ECU's answers, and block 2's layout, which drives its decoding, the merge of its
// pending record and its encoding.
#include <cmath>

#include "link/ModComm.h"
#include "model/BlockLayout.h"
#include "model/HexFields.h"
#include "model/ParameterImage.h"

namespace gw {

namespace {

using enum FieldWidth;
using enum PendingRule;
using F2 = BlockField<Block2Record>;

// Block 2. A pending counter of -1 goes out as FF FF FF FF, which clears it in the ECU;
// the vacuum-acquisition enables take only 0 or 1.
constexpr F2 kBlock2Layout[] = {
    // offset width pending  scale  field
    {0, U8, Byte, kRaw, In<&Block2Record::Mode>()},
    {1, U8, Byte, kRaw, In<&Block2Record::Mode2>()},
    {2, U8, Byte, kRaw, In<&Block2Record::SlaveState>()},
    {3, U32, Counter, kRaw, In<&Block2Record::Minutes1>()},
    {7, U32, Counter, kRaw, In<&Block2Record::Minutes2>()},
    {11, U8, Flag, kRaw, In<&Block2Record::AbilAcq>()},
    {13, U8, Byte, kRaw, In<&Block2Record::Flags2>()},
};
static_assert(WellFormed<Block2Record>(kBlock2Layout, kBlock2Bytes));

}  // namespace

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
    DecodeFields<Block2Record>(kBlock2Layout, HexFieldReader(dataHex), Block2, scale_, *this);
}

std::string ParameterImage::EncodeBlock2() {
    MergeFields<Block2Record>(kBlock2Layout, Block2, Block2Pending, *this);
    return EncodeFields<Block2Record>(kBlock2Layout, Block2, scale_);
}

}  // namespace gw
