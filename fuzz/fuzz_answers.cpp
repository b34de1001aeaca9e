// Fuzz target: whole answer frames, the bytes as they come off the line, through the judge
// and the dispatch the link runs on every answer, into the parameter image's block decoders
// and, for sample answers, the map's sample decoder (as the map page does). Byte 0 picks:
// bit 0 the frame is taken as it is (else its length byte and checksum are made right, so
// the decoders see every data length), bit 1 the gas-time add switch, bit 2 a variant code
// for the production-test memo; byte 1 is the command of the request the answer is judged
// against (0: the answer's own). The rest is the frame.
// Checked: only a good frame of the request's command reaches a decoder and leaves the link
// idle; a refused one leaves the image as it was; every decoded value is finite and within
// what its field's width and scale allow; sample slots outside the answer's set stay as
// they were.
#include <cmath>
#include <string>

#include "FuzzPort.h"
#include "FuzzSupport.h"
#include "link/ClsComm.h"
#include "link/Commands.h"
#include "link/ModComm.h"
#include "model/MapSamples.h"
#include "model/ParameterImage.h"
#include "model/ScaleConfig.h"
#include "util/EventHost.h"

namespace {

using namespace gw;

bool Finite(double v) { return std::isfinite(v); }

template <std::size_t N>
bool AllFinite(const std::array<double, N>& a) {
    for (double v : a)
        if (!Finite(v)) return false;
    return true;
}

void CheckBlock1(const Block1Record& b, const ScaleConfig& s) {
    FUZZ_CHECK(AllFinite(b.InjTimeBnz) && AllFinite(b.InjTimeGas) && AllFinite(b.InjTimeAux));
    const double maxTime = 65535 * s.K_Time_Inj_ms + (s.AddTimeSwitch ? s.SommaTempoInj : 0);
    for (double t : b.InjTimeGas) FUZZ_CHECK(t >= 0 && t <= maxTime + 1e-9);
    for (double t : b.InjTimeBnz) FUZZ_CHECK(std::fabs(t) <= 32768 * s.K_Time_Inj_ms + 1e-9);
    FUZZ_CHECK(b.Rpm >= 0);
    FUZZ_CHECK(b.Pressure >= 0 && b.Pressure <= 65535 && b.Vacuum >= 0 && b.Vacuum <= 65535);
    FUZZ_CHECK(Finite(b.LambdaV) && Finite(b.SupplyV));
    FUZZ_CHECK(b.StatusBits >= 0 && b.StatusBits <= 255);
    FUZZ_CHECK(b.TempReducer >= -32768 && b.TempReducer <= 32767);
    FUZZ_CHECK(b.TempGas >= -32768 && b.TempGas <= 32767);
}

struct Rig {
    VirtualHost host;
    gwfuzz::FuzzLine line;
    gwfuzz::FuzzPortProvider ports{line};
    ClsComm comm{host, ports, gwfuzz::ScratchFolder()};
    ScaleConfig scale;
    ParameterImage image{scale, comm};
    MapRecord samples;
    int sampleAnswers = 0;
    Connection link = image.SampleAnswer.Connect([this](bool gas, int set, const std::string& data) {
        ++sampleAnswers;
        DecodeSamples(samples, gas, set, data, SampleScale{scale.K_Time_Inj_ms, scale.AddTimeSwitch, scale.SommaTempoInj});
    });
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2 || size > 1024) return 0;
    const std::uint8_t flags = data[0];
    std::string frame(reinterpret_cast<const char*>(data) + 2, size - 2);
    if (!(flags & 1) && frame.size() >= 5) {
        // Length byte and checksum made right: 42 01 L cmd status data.. checksum.
        if (frame.size() > 257) frame.resize(257);
        frame[2] = static_cast<char>(static_cast<std::uint8_t>(frame.size() - 2));
        frame.back() = 0;
        frame.back() = static_cast<char>(CheckSumMsg(frame));
    }
    const std::uint8_t command = data[1] != 0 ? data[1] : (frame.size() > 3 ? static_cast<std::uint8_t>(frame[3]) : 0);

    Rig rig;
    rig.scale.AddTimeSwitch = (flags & 2) != 0;
    if (flags & 4) rig.comm.MemoDataCollaudo = std::string(13, '\0') + std::string("\x12\x34", 2);
    rig.samples.GasTime.fill(-1);
    rig.samples.PetrolTime.fill(-1);
    const Block1Record b1 = rig.image.Block1;
    const Block2Record b2 = rig.image.Block2;
    const Block3Record b3 = rig.image.Block3;
    const Block5Record b5 = rig.image.Block5;
    const MapRecord samples = rig.samples;

    ClsComm& comm = rig.comm;
    comm.NumReSend = 0;  // a refused answer ends the exchange: no resend into the fake line
    comm.ComState = kComWaiting;
    comm.OutBuffer = RequestMsg(command, std::string("\x00\x00\x00\x00", 4));
    comm.InBuffer = frame;
    const bool complete = comm.CtrlEndRecive();
    if (complete) comm.VerificaRisposta();

    // Good: the buffer and the frame at its start (bytes after it left out) both check, and
    // the frame answers the request with status done.
    const std::string own = frame.substr(0, frame.size() >= 3 ? static_cast<std::uint8_t>(frame[2]) + 2u : 0u);
    const bool good = complete && CheckSumMsg(frame) == 0 && CheckSumMsg(own) == 0 && own.size() >= 5 &&
                      static_cast<std::uint8_t>(own[3]) == command && static_cast<std::uint8_t>(own[4]) == kStatusDone;
    if (complete) FUZZ_CHECK((comm.ComState == kComIdle) == good);
    if (!good) {
        FUZZ_CHECK(rig.image.Block1 == b1 && rig.image.Block2 == b2 && rig.image.Block3 == b3 && rig.image.Block5 == b5);
        FUZZ_CHECK(rig.samples == samples && rig.sampleAnswers == 0);
        return 0;
    }
    FUZZ_CHECK(comm.LastAnswer == own);

    CheckBlock1(rig.image.Block1, rig.scale);
    const Block2Record& n2 = rig.image.Block2;
    FUZZ_CHECK(n2.Mode >= 0 && n2.Mode <= 255 && n2.Mode2 >= 0 && n2.Mode2 <= 255);
    FUZZ_CHECK(Finite(n2.Minutes1) && Finite(n2.Minutes2) && n2.Minutes1 >= 0 && n2.Minutes2 >= 0);
    const Block3Record& n3 = rig.image.Block3;
    FUZZ_CHECK(Finite(n3.InjTime1) && Finite(n3.PwmTime1) && Finite(n3.PwmTime2) && AllFinite(n3.InjOffset));
    FUZZ_CHECK(Finite(n3.SwtchDelay) && Finite(n3.SwtchForce) && Finite(n3.SwtchDelayPress));
    FUZZ_CHECK(Finite(rig.image.K_Rpm) && rig.image.K_Rpm > 0);
    const Block5Record& n5 = rig.image.Block5;
    FUZZ_CHECK(Finite(n5.ExpTime1) && Finite(n5.ExpTime2) && Finite(n5.DefTimeSovra) && Finite(n5.ValuePreInj) &&
               Finite(n5.TemperUnderPreInj));
    FUZZ_CHECK(rig.image.Block5EcuBytes == kBlock5ShortBytes || rig.image.Block5EcuBytes == kBlock5LongBytes);

    // The encoders take what the decoders gave: the same data goes back out.
    if (command == CMD_READ_MEM2 || command == CMD_READ_MEM3 || command == CMD_READ_MEM5) {
        const std::string hex = command == CMD_READ_MEM2   ? rig.image.EncodeBlock2()
                                : command == CMD_READ_MEM3 ? rig.image.EncodeBlock3()
                                                           : rig.image.EncodeBlock5();
        FUZZ_CHECK(hex.size() % 2 == 0);
    }

    // Samples: a set's slots only, each empty or within a sample's limits.
    if (rig.sampleAnswers > 0) {
        for (int h = 0; h < kMapSlots; ++h) {
            const auto i = static_cast<std::size_t>(h);
            for (const auto* col : {&rig.samples.GasTime, &rig.samples.PetrolTime}) {
                const double t = (*col)[i];
                FUZZ_CHECK(t == -1 || (t >= 0 && t <= kMapMaxTimeMs));
            }
            for (const auto* col : {&rig.samples.GasVacuum, &rig.samples.PetrolVacuum})
                FUZZ_CHECK((*col)[i] >= 0 && (*col)[i] <= kMapMaxVacuum);
        }
    } else {
        FUZZ_CHECK(rig.samples == samples);
    }
    return 0;
}
