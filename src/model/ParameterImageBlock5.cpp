// ParameterImage: block 5 (expert parameters): its layout, which drives decoding of the
// long (23-byte) and the short (14-byte) form, the merge of the pending record and
// encoding in the form this ECU uses.
#include "link/ModComm.h"
#include "model/BlockLayout.h"
#include "model/ParameterImage.h"

namespace gw {

namespace {

using enum FieldWidth;
using enum PendingRule;
using F5 = BlockField<Block5Record>;
constexpr auto kInj = &ScaleConfig::K_Time_Inj_ms;
constexpr auto kGen = &ScaleConfig::K_Timer_Gen_ms;

// The short form ends after the first 14 bytes: no sequence delay, default extension.
constexpr F5 kBlock5Layout[] = {
    // offset width pending scale field
    {0, U8, Byte, kRaw, In<&Block5Record::NotOsservaRpm>()},
    {1, U8, Byte, kRaw, In<&Block5Record::VersoComm>()},
    {2, U8, Byte, kRaw, In<&Block5Record::Expert2>()},
    {3, U16, Real, kInj, In<&Block5Record::ExpTime1>()},
    {5, U16, Real, kInj, In<&Block5Record::ExpTime2>()},
    {7, S16, Real, kGen, In<&Block5Record::DefTimeSovra>()},
    {9, U16, Real, kInj, In<&Block5Record::ValuePreInj>()},
    {11, S16, Signed, kRaw, In<&Block5Record::TemperUnderPreInj>()},
    F5{13, U8, Byte, kRaw, In<&Block5Record::SwtchSeq>()}.ShortForm(0),
    F5{14, U16, Int, kRaw, In<&Block5Record::Soglia1>()}.ShortForm(kDefaultSoglia1),
    F5{16, U16, Int, kRaw, In<&Block5Record::ShoRpm>()}.ShortForm(kDefaultShoRpm),
    F5{18, U8, Byte, kRaw, In<&Block5Record::Expert18>()}.ShortForm(kDefaultExpert18),
    F5{19, U16, Int, kRaw, In<&Block5Record::RpmHight>()}.ShortForm(kDefaultRpmHight),
    F5{21, U16, Int, kRaw, In<&Block5Record::RpmLow>()}.ShortForm(kDefaultRpmLow),
};
static_assert(WellFormed<Block5Record>(kBlock5Layout, kBlock5LongBytes));

}  // namespace

void ParameterImage::DecodeBlock5(const std::string& frame) { DecodeBlock5Hex(BytesToHex(DatiMsg(frame)), true); }

void ParameterImage::DecodeBlock5Hex(const std::string& dataHex, bool fromEcu) {
    Block5Backup = Block5;
    const HexFieldReader r(dataHex);
    if (fromEcu) {
        if (r.Bytes() == kBlock5ShortBytes) Block5EcuBytes = kBlock5ShortBytes;
        if (r.Bytes() >= kBlock5LongBytes) Block5EcuBytes = kBlock5LongBytes;
    }
    DecodeFields<Block5Record>(kBlock5Layout, r, Block5, scale_, *this);
    if (r.Bytes() == kBlock5ShortBytes) ApplyShortForm<Block5Record>(kBlock5Layout, Block5);
}

std::string ParameterImage::EncodeBlock5() {
    MergeFields<Block5Record>(kBlock5Layout, Block5, Block5Pending, *this);
    std::string hex = EncodeFields<Block5Record>(kBlock5Layout, Block5, scale_);
    if (Block5EcuBytes == kBlock5ShortBytes) hex.resize(2 * kBlock5ShortBytes);
    return hex;
}

}  // namespace gw
