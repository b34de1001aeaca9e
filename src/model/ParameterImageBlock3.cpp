// ParameterImage: block 3 (installation parameters): decoding with its special rules
// (counts out of range replaced by 4 and written back, the engine-speed constant, the
// change flag), encoding with the pending record merged in, and the default
// configuration rule applied after "\LNG\Default.Xar".
#include <cmath>
#include <cstdlib>

#include "link/ModComm.h"
#include "model/HexFields.h"
#include "model/ParameterImage.h"
#include "util/Numbers.h"

namespace gw {

namespace {

void MergeByte(int& image, int& pending) {
    if (pending != kNoChangeByte) image = pending;
    pending = kNoChangeByte;
}
void MergeInt(int& image, int& pending) {
    if (pending >= 0) image = pending;
    pending = kNoChangeInt;
}
void MergeDouble(double& image, double& pending) {
    if (pending > kNoChangeDouble) image = pending;
    pending = kNoChangeDouble;
}
void MergeSigned(double& image, double& pending) {
    if (pending != kNoChangeSigned) image = pending;
    pending = kNoChangeSigned;
}

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
    Block3Record& b = Block3;
    const HexFieldReader r(dataHex);
    const double kInj = scale_.K_Time_Inj_ms, kPwm = scale_.K_Time_Pwm_ms, kGen = scale_.K_Timer_Gen_ms;

    // A count out of 1-8 becomes 4 and is written back.
    auto count = [this](int& image, int& pending, std::optional<int> v) {
        if (!v) return;
        image = *v;
        if (image < 1 || image > 8) {
            image = 4;
            pending = 4;
            Block3WriteRequest = 1;
        }
    };
    count(b.Coils, Block3Pending.Coils, r.U8(0));
    count(b.Cylinders, Block3Pending.Cylinders, r.U8(1));
    K_Rpm = SpeedConstant();
    if (auto v = r.U16(2)) b.SwtchTemp = *v;
    if (auto v = r.U16(4)) b.SwtchRpmRaw = *v;
    b.SwtchRpm = SpeedFromPeriod(b.SwtchRpmRaw);
    if (auto v = r.U8(6)) b.TpyInj = *v;
    if (auto v = r.U8(7)) b.TpyInj2 = *v;
    if (auto v = r.U16(8)) b.InjTime1 = *v * kInj;
    if (auto v = r.U16(10)) b.PwmTime1 = *v * kPwm;
    if (auto v = r.U16(12)) b.PwmTime2 = *v * kPwm;
    for (std::size_t i = 0; i < kInjectors; ++i) {
        const std::size_t slot = kInjectors - 1 - i;
        if (auto v = r.U8(14 + i)) b.InjMode[slot] = *v;
        if (auto v = r.S16(22 + 2 * i)) b.InjOffset[slot] = *v * kInj;
    }
    if (auto v = r.U8(38)) b.TpyGLS = *v;
    if (auto v = r.U8(39)) b.TpyGLS2 = *v;
    for (std::size_t i = 0; i < b.Level.size(); ++i)
        if (auto v = r.U16(40 + 2 * i)) b.Level[i] = *v;
    if (auto v = r.U8(52)) b.AbilComp = *v;
    if (auto v = r.U16(53)) b.PressVolRef = *v;
    if (auto v = r.U16(55)) b.SwtchDelay = *v * kGen;
    if (auto v = r.U16(57)) b.TempVolRef = *v;
    if (auto v = r.U16(59)) b.SwtchForce = *v * kGen;
    if (auto v = r.U8(61)) b.SwtchLambdaType = *v;
    if (auto v = r.U16(62)) b.SwtchBar = *v;
    if (auto v = r.U16(64)) b.SwtchDelayPress = *v * kGen;
    if (auto v = r.U8(66)) b.SafetyCar = *v;
    if (auto v = r.U8(67)) b.EmptyGas = *v;
    if (auto v = r.U8(68)) b.MaxPowerEnable = *v;
    if (auto v = r.U16(69)) b.MaxPowerSoh = *v;
    if (auto v = r.U8(71)) b.TypSensTemp = *v;
    if (auto v = r.U8(72)) b.TypSensMap = *v;
    if (auto v = r.U8(73)) b.BadBit = *v;
    ComputeBlock3Changed();
}

void ParameterImage::ComputeBlock3Changed() { Block3Changed = !(Block3 == Block3Backup); }

std::string ParameterImage::EncodeBlock3() {
    Block3Record& p = Block3Pending;
    Block3Record& b = Block3;
    const int coils = b.Coils, cylinders = b.Cylinders;
    MergeByte(b.Coils, p.Coils);
    MergeByte(b.Cylinders, p.Cylinders);
    if (b.Coils != coils || b.Cylinders != cylinders) {
        K_Rpm = SpeedConstant();
        b.SwtchRpm = SpeedFromPeriod(b.SwtchRpmRaw);
    }
    MergeInt(b.SwtchTemp, p.SwtchTemp);
    // A new engine speed becomes a period; an unchanged one keeps the ECU's period exactly.
    if (p.SwtchRpm >= 0 && p.SwtchRpm != b.SwtchRpm) {
        b.SwtchRpm = p.SwtchRpm;
        if (p.SwtchRpm == 0) {
            b.SwtchRpmRaw = 65535;
        } else {
            const double period = std::nearbyint(K_Rpm / p.SwtchRpm);
            b.SwtchRpmRaw = period > 65535 ? 65535 : static_cast<int>(period);
        }
    }
    p.SwtchRpm = kNoChangeInt;
    p.SwtchRpmRaw = kNoChangeInt;
    MergeByte(b.TpyInj, p.TpyInj);
    MergeByte(b.TpyInj2, p.TpyInj2);
    MergeDouble(b.InjTime1, p.InjTime1);
    MergeDouble(b.PwmTime1, p.PwmTime1);
    MergeDouble(b.PwmTime2, p.PwmTime2);
    for (std::size_t i = 0; i < kInjectors; ++i) {
        MergeByte(b.InjMode[i], p.InjMode[i]);
        MergeSigned(b.InjOffset[i], p.InjOffset[i]);
    }
    MergeByte(b.TpyGLS, p.TpyGLS);
    MergeByte(b.TpyGLS2, p.TpyGLS2);
    for (std::size_t i = 0; i < b.Level.size(); ++i) MergeInt(b.Level[i], p.Level[i]);
    MergeInt(b.AbilComp, p.AbilComp);
    MergeInt(b.PressVolRef, p.PressVolRef);
    MergeDouble(b.SwtchDelay, p.SwtchDelay);
    MergeInt(b.TempVolRef, p.TempVolRef);
    MergeDouble(b.SwtchForce, p.SwtchForce);
    MergeByte(b.SwtchLambdaType, p.SwtchLambdaType);
    MergeInt(b.SwtchBar, p.SwtchBar);
    MergeDouble(b.SwtchDelayPress, p.SwtchDelayPress);
    MergeByte(b.SafetyCar, p.SafetyCar);
    MergeByte(b.EmptyGas, p.EmptyGas);
    MergeByte(b.MaxPowerEnable, p.MaxPowerEnable);
    MergeInt(b.MaxPowerSoh, p.MaxPowerSoh);
    MergeByte(b.TypSensTemp, p.TypSensTemp);
    MergeByte(b.TypSensMap, p.TypSensMap);
    MergeByte(b.BadBit, p.BadBit);

    const double kInj = scale_.K_Time_Inj_ms, kPwm = scale_.K_Time_Pwm_ms, kGen = scale_.K_Timer_Gen_ms;
    HexFieldWriter w;
    w.U8(b.Coils);
    w.U8(b.Cylinders);
    w.U16(b.SwtchTemp);
    w.U16(b.SwtchRpmRaw);
    w.U8(b.TpyInj);
    w.U8(b.TpyInj2);
    w.U16(b.InjTime1 / kInj);
    w.U16(b.PwmTime1 / kPwm);
    w.U16(b.PwmTime2 / kPwm);
    for (std::size_t i = 0; i < kInjectors; ++i) w.U8(b.InjMode[kInjectors - 1 - i]);
    for (std::size_t i = 0; i < kInjectors; ++i) w.S16(b.InjOffset[kInjectors - 1 - i] / kInj);
    w.U8(b.TpyGLS);
    w.U8(b.TpyGLS2);
    for (int level : b.Level) w.U16(level);
    w.U8(b.AbilComp);
    w.U16(b.PressVolRef);
    w.U16(b.SwtchDelay / kGen);
    w.U16(b.TempVolRef);
    w.U16(b.SwtchForce / kGen);
    w.U8(b.SwtchLambdaType);
    w.U16(b.SwtchBar);
    w.U16(b.SwtchDelayPress / kGen);
    w.U8(b.SafetyCar);
    w.U8(b.EmptyGas);
    w.U8(b.MaxPowerEnable);
    w.U16(b.MaxPowerSoh);
    w.U8(b.TypSensTemp);
    w.U8(b.TypSensMap);
    w.U8(b.BadBit);
    return w.Hex();
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
    K_Rpm = SpeedConstant();
    Block3.SwtchRpm = SpeedFromPeriod(Block3.SwtchRpmRaw);
}

}  // namespace gw
