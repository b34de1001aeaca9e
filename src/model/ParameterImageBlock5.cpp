// ParameterImage: block 5 (expert parameters): decoding the long (23-byte) and the short
// (14-byte) form, and encoding in the form this ECU uses.
#include "link/ModComm.h"
#include "model/HexFields.h"
#include "model/ParameterImage.h"

namespace gw {

void ParameterImage::DecodeBlock5(const std::string& frame) { DecodeBlock5Hex(BytesToHex(DatiMsg(frame)), true); }

void ParameterImage::DecodeBlock5Hex(const std::string& dataHex, bool fromEcu) {
    Block5Backup = Block5;
    Block5Record& b = Block5;
    const HexFieldReader r(dataHex);
    const double kInj = scale_.K_Time_Inj_ms, kGen = scale_.K_Timer_Gen_ms;
    if (fromEcu) {
        if (r.Bytes() == kBlock5ShortBytes) Block5EcuBytes = kBlock5ShortBytes;
        if (r.Bytes() >= kBlock5LongBytes) Block5EcuBytes = kBlock5LongBytes;
    }
    if (auto v = r.U8(0)) b.NotOsservaRpm = *v;
    if (auto v = r.U8(1)) b.VersoComm = *v;
    if (auto v = r.U8(2)) b.Expert2 = *v;
    if (auto v = r.U16(3)) b.ExpTime1 = *v * kInj;
    if (auto v = r.U16(5)) b.ExpTime2 = *v * kInj;
    if (auto v = r.S16(7)) b.DefTimeSovra = *v * kGen;
    if (auto v = r.U16(9)) b.ValuePreInj = *v * kInj;
    if (auto v = r.S16(11)) b.TemperUnderPreInj = *v;
    if (r.Bytes() == kBlock5ShortBytes) {
        // The short form ends after the first 14 bytes: no sequence delay, default extension.
        b.SwtchSeq = 0;
        b.Soglia1 = kDefaultSoglia1;
        b.ShoRpm = kDefaultShoRpm;
        b.Expert18 = kDefaultExpert18;
        b.RpmHight = kDefaultRpmHight;
        b.RpmLow = kDefaultRpmLow;
        return;
    }
    if (auto v = r.U8(13)) b.SwtchSeq = *v;
    if (auto v = r.U16(14)) b.Soglia1 = *v;
    if (auto v = r.U16(16)) b.ShoRpm = *v;
    if (auto v = r.U8(18)) b.Expert18 = *v;
    if (auto v = r.U16(19)) b.RpmHight = *v;
    if (auto v = r.U16(21)) b.RpmLow = *v;
}

std::string ParameterImage::EncodeBlock5() {
    Block5Record& p = Block5Pending;
    Block5Record& b = Block5;
    auto byte = [](int& image, int& pending) {
        if (pending != kNoChangeByte) image = pending;
        pending = kNoChangeByte;
    };
    auto integer = [](int& image, int& pending) {
        if (pending >= 0) image = pending;
        pending = kNoChangeInt;
    };
    auto real = [](double& image, double& pending) {
        if (pending > kNoChangeDouble) image = pending;
        pending = kNoChangeDouble;
    };
    byte(b.NotOsservaRpm, p.NotOsservaRpm);
    byte(b.VersoComm, p.VersoComm);
    byte(b.Expert2, p.Expert2);
    real(b.ExpTime1, p.ExpTime1);
    real(b.ExpTime2, p.ExpTime2);
    real(b.DefTimeSovra, p.DefTimeSovra);
    real(b.ValuePreInj, p.ValuePreInj);
    if (p.TemperUnderPreInj != kNoChangeSigned) b.TemperUnderPreInj = p.TemperUnderPreInj;
    p.TemperUnderPreInj = kNoChangeSigned;
    byte(b.SwtchSeq, p.SwtchSeq);
    integer(b.Soglia1, p.Soglia1);
    integer(b.ShoRpm, p.ShoRpm);
    byte(b.Expert18, p.Expert18);
    integer(b.RpmHight, p.RpmHight);
    integer(b.RpmLow, p.RpmLow);

    const double kInj = scale_.K_Time_Inj_ms, kGen = scale_.K_Timer_Gen_ms;
    HexFieldWriter w;
    w.U8(b.NotOsservaRpm);
    w.U8(b.VersoComm);
    w.U8(b.Expert2);
    w.U16(b.ExpTime1 / kInj);
    w.U16(b.ExpTime2 / kInj);
    w.S16(b.DefTimeSovra / kGen);
    w.U16(b.ValuePreInj / kInj);
    w.S16(b.TemperUnderPreInj);
    w.U8(b.SwtchSeq);
    w.U16(b.Soglia1);
    w.U16(b.ShoRpm);
    w.U8(b.Expert18);
    w.U16(b.RpmHight);
    w.U16(b.RpmLow);
    std::string hex = w.Hex();
    if (Block5EcuBytes == kBlock5ShortBytes) hex.resize(2 * kBlock5ShortBytes);
    return hex;
}

}  // namespace gw
