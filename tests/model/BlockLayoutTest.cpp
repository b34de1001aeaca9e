// Every field of blocks 2, 3 and 5 travels both ways: a value the ECU sends at the
// field's place arrives in the image, and an edit in the pending record goes out at that
// place and nowhere else. The layouts below are written here on their own, from the
// ECU's memory map, as the check of the program's tables.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ImageFixture.h"
#include "link/Commands.h"
#include "model/ParameterImage.h"
#include "util/HexText.h"

using namespace gw;
using namespace gwtest;

namespace {

template <class R>
struct FieldCase {
    std::string name;
    std::size_t offset, bytes;
    long long raw;  // the count in the data, little-endian, two's complement when negative
    double value;   // the value in the image
    std::function<double(const R&)> get;
    std::function<void(R&, double)> set;
};

template <class R, class T>
FieldCase<R> Field(std::string name, std::size_t offset, std::size_t bytes, long long raw, double value, T R::*m) {
    return {std::move(name), offset, bytes, raw, value, [m](const R& r) { return static_cast<double>(r.*m); },
            [m](R& r, double v) { r.*m = static_cast<T>(v); }};
}

template <class R, class T, std::size_t N>
FieldCase<R> Element(std::string name, std::size_t element, std::size_t offset, std::size_t bytes, long long raw,
                     double value, std::array<T, N> R::*m) {
    return {name + "[" + std::to_string(element) + "]", offset, bytes, raw, value,
            [m, element](const R& r) { return static_cast<double>((r.*m)[element]); },
            [m, element](R& r, double v) { (r.*m)[element] = static_cast<T>(v); }};
}

class BlockLayout : public ImageFixture {
protected:
    template <class R>
    void ExpectEveryFieldBothWays(const std::string& base, const std::vector<FieldCase<R>>& cases, R& record,
                                  R& pending, const std::function<void(const std::string&)>& decode,
                                  const std::function<std::string()>& encode) {
        // The listing covers every byte of the block once.
        std::vector<int> cover(base.size(), 0);
        for (const auto& c : cases)
            for (std::size_t j = 0; j < c.bytes; ++j) ++cover.at(c.offset + j);
        for (std::size_t j = 0; j < cover.size(); ++j) EXPECT_EQ(cover[j], 1) << "byte " << j;

        image.ResetPendingRecords();
        const R noChange = pending;
        for (const auto& c : cases) {
            std::string data = base;
            for (std::size_t j = 0; j < c.bytes; ++j)
                data[c.offset + j] = static_cast<char>((c.raw >> (8 * j)) & 0xFF);

            // ECU to image, and unchanged back.
            record = R{};
            decode(base);
            decode(data);
            EXPECT_DOUBLE_EQ(c.get(record), c.value) << c.name << " decoded";
            EXPECT_EQ(encode(), BytesToHex(data)) << c.name << " encoded as read";

            // An edit to the ECU, only at the field's place; the pending record is used up.
            record = R{};
            decode(base);
            c.set(pending, c.value);
            EXPECT_EQ(encode(), BytesToHex(data)) << c.name << " edited";
            EXPECT_DOUBLE_EQ(c.get(record), c.value) << c.name << " merged";
            EXPECT_TRUE(pending == noChange) << c.name << " pending marker";
        }
    }
};

TEST_F(BlockLayout, Block2FieldsTravelBothWays) {
    using R = Block2Record;
    const std::vector<FieldCase<R>> cases = {
        Field("Mode", 0, 1, 3, 3, &R::Mode),
        Field("Mode2", 1, 1, 3, 3, &R::Mode2),
        Field("SlaveState", 2, 1, 1, 1, &R::SlaveState),
        Field("Minutes1", 3, 4, 0x01020304, 0x01020304, &R::Minutes1),
        Field("Minutes2", 7, 4, 0xA0B0C0D0, 0xA0B0C0D0, &R::Minutes2),
        Element("AbilAcq", 0, 11, 1, 1, 1, &R::AbilAcq),
        Element("AbilAcq", 1, 12, 1, 1, 1, &R::AbilAcq),
        Field("Flags2", 13, 1, 0x80, 0x80, &R::Flags2),
    };
    ExpectEveryFieldBothWays<R>(
        std::string(kBlock2Bytes, '\0'), cases, image.Block2, image.Block2Pending,
        [this](const std::string& d) { image.DecodeBlock2(AnswerFrame(CMD_READ_MEM2, d)); },
        [this] { return image.EncodeBlock2(); });
}

TEST_F(BlockLayout, Block3FieldsTravelBothWays) {
    using R = Block3Record;
    const double inj = 0.008, gen = 0.025;
    std::vector<FieldCase<R>> cases = {
        Field("Coils", 0, 1, 6, 6, &R::Coils),
        Field("Cylinders", 1, 1, 2, 2, &R::Cylinders),
        Field("SwtchTemp", 2, 2, 0x1234, 0x1234, &R::SwtchTemp),
        // 4 coils, 4 cylinders: 15 000 000 / 7500 = 2000 rpm.
        Field("SwtchRpm", 4, 2, 7500, 2000, &R::SwtchRpm),
        Field("TpyInj", 6, 1, 0x5A, 0x5A, &R::TpyInj),
        Field("TpyInj2", 7, 1, 0x21, 0x21, &R::TpyInj2),
        Field("InjTime1", 8, 2, 312, 312 * inj, &R::InjTime1),
        Field("PwmTime1", 10, 2, 0x0203, 0x0203, &R::PwmTime1),
        Field("PwmTime2", 12, 2, 0x0405, 0x0405, &R::PwmTime2),
        Field("TpyGLS", 38, 1, 7, 7, &R::TpyGLS),
        Field("TpyGLS2", 39, 1, 9, 9, &R::TpyGLS2),
        Field("AbilComp", 52, 1, 1, 1, &R::AbilComp),
        Field("PressVolRef", 53, 2, 1013, 1013, &R::PressVolRef),
        Field("SwtchDelay", 55, 2, 40, 40 * gen, &R::SwtchDelay),
        Field("TempVolRef", 57, 2, 293, 293, &R::TempVolRef),
        Field("SwtchForce", 59, 2, 80, 80 * gen, &R::SwtchForce),
        Field("SwtchLambdaType", 61, 1, 2, 2, &R::SwtchLambdaType),
        Field("SwtchBar", 62, 2, 0x0CE4, 0x0CE4, &R::SwtchBar),
        Field("SwtchDelayPress", 64, 2, 120, 120 * gen, &R::SwtchDelayPress),
        Field("SafetyCar", 66, 1, 1, 1, &R::SafetyCar),
        Field("EmptyGas", 67, 1, 3, 3, &R::EmptyGas),
        Field("MaxPowerEnable", 68, 1, 1, 1, &R::MaxPowerEnable),
        Field("MaxPowerSoh", 69, 2, 0x7531, 0x7531, &R::MaxPowerSoh),
        Field("TypSensTemp", 71, 1, 4, 4, &R::TypSensTemp),
        Field("TypSensMap", 72, 1, 5, 5, &R::TypSensMap),
        Field("BadBit", 73, 1, 0x40, 0x40, &R::BadBit),
    };
    // Per-injector entries: data entry k is element 7 - k.
    for (std::size_t k = 0; k < 8; ++k) {
        cases.push_back(Element("InjMode", 7 - k, 14 + k, 1, 3, 3, &R::InjMode));
        cases.push_back(Element("InjOffset", 7 - k, 22 + 2 * k, 2, -100, -100 * inj, &R::InjOffset));
    }
    for (std::size_t i = 0; i < 6; ++i)
        cases.push_back(Element("Level", i, 40 + 2 * i, 2, 1000 + static_cast<long long>(i), 1000.0 + i, &R::Level));
    std::string base(kBlock3Bytes, '\0');
    base[0] = 4;
    base[1] = 4;
    ExpectEveryFieldBothWays<R>(
        base, cases, image.Block3, image.Block3Pending,
        [this](const std::string& d) { image.DecodeBlock3(AnswerFrame(CMD_READ_MEM3, d)); },
        [this] { return image.EncodeBlock3(); });
}

TEST_F(BlockLayout, Block5FieldsTravelBothWays) {
    using R = Block5Record;
    const double inj = 0.008, gen = 0.025;
    const std::vector<FieldCase<R>> cases = {
        Field("NotOsservaRpm", 0, 1, 1, 1, &R::NotOsservaRpm),
        Field("VersoComm", 1, 1, 1, 1, &R::VersoComm),
        Field("Expert2", 2, 1, 0x42, 0x42, &R::Expert2),
        Field("ExpTime1", 3, 2, 500, 500 * inj, &R::ExpTime1),
        Field("ExpTime2", 5, 2, 250, 250 * inj, &R::ExpTime2),
        Field("DefTimeSovra", 7, 2, -20, -20 * gen, &R::DefTimeSovra),
        Field("ValuePreInj", 9, 2, 125, 125 * inj, &R::ValuePreInj),
        Field("TemperUnderPreInj", 11, 2, -300, -300, &R::TemperUnderPreInj),
        Field("SwtchSeq", 13, 1, 7, 7, &R::SwtchSeq),
        Field("Soglia1", 14, 2, 2750, 2750, &R::Soglia1),
        Field("ShoRpm", 16, 2, 2250, 2250, &R::ShoRpm),
        Field("Expert18", 18, 1, 9, 9, &R::Expert18),
        Field("RpmHight", 19, 2, 1000, 1000, &R::RpmHight),
        Field("RpmLow", 21, 2, 600, 600, &R::RpmLow),
    };
    ExpectEveryFieldBothWays<R>(
        std::string(kBlock5LongBytes, '\0'), cases, image.Block5, image.Block5Pending,
        [this](const std::string& d) { image.DecodeBlock5(AnswerFrame(CMD_READ_MEM5, d)); },
        [this] { return image.EncodeBlock5(); });
}

}  // namespace
