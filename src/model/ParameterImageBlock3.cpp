// ParameterImage: block 3 (installation parameters): its layout, which drives decoding,
// the merge of the pending record and encoding, with the block's own rules (counts out
// of range replaced by 4 and written back, the engine-speed constant, the switch-over
// speed held as a period, the change flag), and the default configuration rule applied
// after "\LNG\Default.Xar".
#include <cmath>
#include <cstdlib>

#include "link/ModComm.h"
#include "model/BlockLayout.h"
#include "model/ParameterImage.h"
#include "util/Numbers.h"

namespace gw {

namespace {

using enum FieldWidth;
using enum PendingRule;
using F3 = BlockField<Block3Record>;
constexpr auto kInj = &ScaleConfig::K_Time_Inj_ms;
constexpr auto kPwm = &ScaleConfig::K_Time_Pwm_ms;
constexpr auto kGen = &ScaleConfig::K_Timer_Gen_ms;

// The engine-speed constant and the switch-over speed follow the counts.
void RefreshSpeed(ParameterImage& img) {
    img.K_Rpm = img.SpeedConstant();
    img.Block3.SwtchRpm = img.SpeedFromPeriod(img.Block3.SwtchRpmRaw);
}

// A count out of 1-8 becomes 4 and is written back.
template <int Block3Record::*Count>
void TakeCount(ParameterImage& img, double value) {
    int& count = img.Block3.*Count;
    count = static_cast<int>(value);
    if (count < 1 || count > 8) {
        count = 4;
        img.Block3Pending.*Count = 4;
        img.Block3WriteRequest = 1;
    }
}

template <int Block3Record::*Count>
void MergeCount(ParameterImage& img) {
    const int before = img.Block3.*Count;
    MergeElement(Byte, In<Count>(), 0, img.Block3, img.Block3Pending);
    if (img.Block3.*Count != before) RefreshSpeed(img);
}

// The switch-over speed is edited in rpm and held by the ECU as a period: a new speed
// becomes a period, an unchanged one keeps the ECU's period exactly.
void MergeSwitchSpeed(ParameterImage& img) {
    Block3Record& b = img.Block3;
    Block3Record& p = img.Block3Pending;
    if (p.SwtchRpm >= 0 && p.SwtchRpm != b.SwtchRpm) {
        b.SwtchRpm = p.SwtchRpm;
        if (p.SwtchRpm == 0) {
            b.SwtchRpmRaw = 65535;
        } else {
            const double period = std::nearbyint(img.K_Rpm / p.SwtchRpm);
            b.SwtchRpmRaw = period > 65535 ? 65535 : static_cast<int>(period);
        }
    }
    p.SwtchRpm = kNoChangeInt;
    p.SwtchRpmRaw = kNoChangeInt;
}

constexpr F3 kBlock3Layout[] = {
    // offset width pending scale field
    F3{0, U8, Byte, kRaw, In<&Block3Record::Coils>()}.Hooks(TakeCount<&Block3Record::Coils>,
                                                           MergeCount<&Block3Record::Coils>),
    F3{1, U8, Byte, kRaw, In<&Block3Record::Cylinders>()}.Hooks(TakeCount<&Block3Record::Cylinders>,
                                                               MergeCount<&Block3Record::Cylinders>),
    {2, U16, Int, kRaw, In<&Block3Record::SwtchTemp>()},
    F3{4, U16, Int, kRaw, In<&Block3Record::SwtchRpmRaw>()}.Hooks(nullptr, MergeSwitchSpeed),
    {6, U8, Byte, kRaw, In<&Block3Record::TpyInj>()},
    {7, U8, Byte, kRaw, In<&Block3Record::TpyInj2>()},
    {8, U16, Real, kInj, In<&Block3Record::InjTime1>()},
    {10, U16, Real, kPwm, In<&Block3Record::PwmTime1>()},
    {12, U16, Real, kPwm, In<&Block3Record::PwmTime2>()},
    F3{14, U8, Byte, kRaw, In<&Block3Record::InjMode>()}.Reversed(),
    F3{22, S16, Signed, kInj, In<&Block3Record::InjOffset>()}.Reversed(),
    {38, U8, Byte, kRaw, In<&Block3Record::TpyGLS>()},
    {39, U8, Byte, kRaw, In<&Block3Record::TpyGLS2>()},
    {40, U16, Int, kRaw, In<&Block3Record::Level>()},
    {52, U8, Int, kRaw, In<&Block3Record::AbilComp>()},
    {53, U16, Int, kRaw, In<&Block3Record::PressVolRef>()},
    {55, U16, Real, kGen, In<&Block3Record::SwtchDelay>()},
    {57, U16, Int, kRaw, In<&Block3Record::TempVolRef>()},
    {59, U16, Real, kGen, In<&Block3Record::SwtchForce>()},
    {61, U8, Byte, kRaw, In<&Block3Record::SwtchLambdaType>()},
    {62, U16, Int, kRaw, In<&Block3Record::SwtchBar>()},
    {64, U16, Real, kGen, In<&Block3Record::SwtchDelayPress>()},
    {66, U8, Byte, kRaw, In<&Block3Record::SafetyCar>()},
    {67, U8, Byte, kRaw, In<&Block3Record::EmptyGas>()},
    {68, U8, Byte, kRaw, In<&Block3Record::MaxPowerEnable>()},
    {69, U16, Int, kRaw, In<&Block3Record::MaxPowerSoh>()},
    {71, U8, Byte, kRaw, In<&Block3Record::TypSensTemp>()},
    {72, U8, Byte, kRaw, In<&Block3Record::TypSensMap>()},
    {73, U8, Byte, kRaw, In<&Block3Record::BadBit>()},
};
static_assert(WellFormed<Block3Record>(kBlock3Layout, kBlock3Bytes));

// A variant code of the scale configuration as a number; nothing when it is not one.
bool VariantCode(const std::string& text, long& out) {
    const std::string t = Trim(text);
    if (t.empty()) return false;
    char* end = nullptr;
    out = std::strtol(t.c_str(), &end, 10);
    return end && *end == '\0';
}

}  // namespace

void ParameterImage::DecodeBlock3(const std::string& frame) { DecodeBlock3Hex(BytesToHex(DatiMsg(frame))); }

void ParameterImage::DecodeBlock3Hex(const std::string& dataHex) {
    Block3Backup = Block3;
    DecodeFields<Block3Record>(kBlock3Layout, HexFieldReader(dataHex), Block3, scale_, *this);
    // The switch-over speed from its period with the constant of the counts just read.
    RefreshSpeed(*this);
    ComputeBlock3Changed();
}

void ParameterImage::ComputeBlock3Changed() { Block3Changed = !(Block3 == Block3Backup); }

std::string ParameterImage::EncodeBlock3() {
    MergeFields<Block3Record>(kBlock3Layout, Block3, Block3Pending, *this);
    return EncodeFields<Block3Record>(kBlock3Layout, Block3, scale_);
}

void ParameterImage::ApplyDefaultConfigurationRule() {
    // Bytes 13-14 of the production-test memo frame: the ECU's variant code.
    const std::string memo = BytesToHex(comm_.MemoDataCollaudo);
    const int code = memo.size() > 26 ? HexU16(memo.substr(26, 4)) : 0;
    long six = 0, eight = 0;
    int cylinders = 4;
    if (VariantCode(scale_.SL_6Cil, six) && code == six)
        cylinders = 6;
    else if (VariantCode(scale_.SL_8Cil, eight) && code == eight)
        cylinders = 8;
    if (cylinders == Block3.Cylinders) return;
    Block3.Cylinders = cylinders;
    for (int i = 0; i < kInjectors; ++i) Block3.InjMode[static_cast<std::size_t>(i)] = i < cylinders ? 1 : 0;
    RefreshSpeed(*this);
}

}  // namespace gw
