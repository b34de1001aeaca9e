// ParameterImage: construction, the engine-speed constant, the add-time switch, the
// pending-record reset, the write countdowns, the injector-mode sequence and the sample
// forwarding. The block codecs live in ParameterImageBlock*.cpp.
#include "model/ParameterImage.h"

#include "link/FirmwareIdentity.h"

#include <algorithm>
#include <cmath>

namespace gw {

namespace {

// Leading decimal digits of text[from, from + count) as a number (0 when none).
int DigitsAt(const std::string& text, std::size_t from, std::size_t count) {
    int v = 0;
    for (std::size_t i = from; i < from + count && i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') break;
        v = v * 10 + (c - '0');
    }
    return v;
}

struct FirmwareStamp {
    int version = 0, day = 0, month = 0, year = 0;
};

// Version (1-4), day (5-6), month (7-8), year (9-12); each field only when the text
// reaches past it.
FirmwareStamp StampOf(const std::string& id) {
    FirmwareStamp s;
    if (id.size() >= 4) s.version = DigitsAt(id, 0, 4);
    if (id.size() > 6) s.day = DigitsAt(id, 4, 2);
    if (id.size() > 8) s.month = DigitsAt(id, 6, 2);
    if (id.size() >= 12) s.year = DigitsAt(id, 8, 4);
    return s;
}

}  // namespace

ParameterImage::ParameterImage(ScaleConfig& scale, ClsComm& comm) : scale_(scale), comm_(comm) {
    ResetPendingRecords();
}

void ParameterImage::AdoptCorTable(const TimeTable& table) {
    CorTable = table;
    ModelFitsTable = RebuildModelFromTable(table, Model);
    CorTableKnown = true;
    CorReadFailures = 0;
    // The model is this table's now: an edit not yet written is superseded.
    CorTableWriteFailed = false;
    Requests.CorTableWriteRequest = kCorWriteNone;
}

int ParameterImage::EcuFirmwareVersion() const { return FirmwareVersionNumber(comm_.FirmwareEcu); }

double ParameterImage::SpeedConstant() const {
    const int coils = Block3.Coils, cyl = Block3.Cylinders;
    if (coils > 8 || cyl > 8 || cyl <= 0 || coils <= 0) return 1;
    return coils * 240000000.0 / (cyl * 16.0);
}

int ParameterImage::SpeedFromPeriod(int period) const {
    if (period == 65535 || period <= 0) return 0;
    return static_cast<int>(std::nearbyint(K_Rpm / period));
}

void ParameterImage::EvaluateAddTimeSwitch() {
    const FirmwareStamp ecu = StampOf(comm_.FirmwareEcu);
    const FirmwareStamp ref = StampOf(scale_.ControlPetrolFirmware);
    scale_.AddTimeSwitch = ecu.version > ref.version || ecu.year > ref.year ||
                           (ecu.year == ref.year && ecu.month > ref.month) ||
                           (ecu.year == ref.year && ecu.month == ref.month && ecu.day >= ref.day);
}

void ParameterImage::ResetPendingRecords() {
    Block2Record b2;
    b2.Mode = b2.Mode2 = b2.SlaveState = kNoChangeByte;
    b2.Minutes1 = b2.Minutes2 = kNoChangeCounter;
    b2.AbilAcq = {kNoChangeByte, kNoChangeByte};
    b2.Flags2 = kNoChangeByte;
    Block2Pending = b2;

    Block3Record b3;
    b3.Coils = b3.Cylinders = kNoChangeByte;
    b3.SwtchTemp = b3.SwtchRpm = b3.SwtchRpmRaw = kNoChangeInt;
    b3.TpyInj = b3.TpyInj2 = kNoChangeByte;
    b3.InjTime1 = b3.PwmTime1 = b3.PwmTime2 = kNoChangeDouble;
    b3.InjMode.fill(kNoChangeByte);
    b3.InjOffset.fill(kNoChangeSigned);
    b3.TpyGLS = b3.TpyGLS2 = kNoChangeByte;
    b3.Level.fill(kNoChangeInt);
    b3.AbilComp = kNoChangeInt;
    b3.PressVolRef = b3.TempVolRef = b3.SwtchBar = b3.MaxPowerSoh = kNoChangeInt;
    b3.SwtchDelay = b3.SwtchForce = b3.SwtchDelayPress = kNoChangeDouble;
    b3.SwtchLambdaType = b3.SafetyCar = b3.EmptyGas = b3.MaxPowerEnable = kNoChangeByte;
    b3.TypSensTemp = b3.TypSensMap = b3.BadBit = kNoChangeByte;
    Block3Pending = b3;

    Block5Record b5;
    b5.NotOsservaRpm = b5.VersoComm = b5.Expert2 = kNoChangeByte;
    b5.ExpTime1 = b5.ExpTime2 = b5.DefTimeSovra = b5.ValuePreInj = kNoChangeDouble;
    b5.TemperUnderPreInj = kNoChangeSigned;
    b5.SwtchSeq = b5.Expert18 = kNoChangeByte;
    b5.Soglia1 = b5.ShoRpm = b5.RpmHight = b5.RpmLow = kNoChangeInt;
    Block5Pending = b5;
}

void ParameterImage::TickWriteCountdowns() {
    struct Countdown {
        double& count;
        bool& writePending;
        bool& readRequest;
    };
    Countdown all[] = {{Block2WriteRequest, Requests.Block2WritePending, Requests.Block2ReadRequest},
                       {Block3WriteRequest, Requests.Block3WritePending, Requests.Block3ReadRequest},
                       {Block5WriteRequest, Requests.Block5WritePending, Requests.Block5ReadRequest}};
    for (auto& c : all) {
        if (c.count <= 0) continue;
        c.count -= 1;
        if (c.count < 1) {
            c.count = 0;
            c.writePending = true;
            c.readRequest = true;
        }
    }
}

void ParameterImage::SetInjModePending(int injector, int mode) {
    if (injector < 0 || injector >= kInjectors) return;
    Block3Pending.InjMode[static_cast<std::size_t>(injector)] = mode;
    Block3WriteRequest = 1;
}

void ParameterImage::StepInjModeSequence() {
    if (InjModeTarget < 0) return;
    auto end = [this] {
        InjModeTarget = -1;
        InjModeScope = 0;
    };
    auto modeOf = [this](int i) { return Block3.InjMode[static_cast<std::size_t>(i)]; };
    const int idx = InjModeIndex;
    const bool oneValid = idx >= 0 && idx < kInjectors;
    const int count = std::min(std::max(InjModeIndex, 0), kInjectors);

    const bool countScope = InjModeTarget == 3 && InjModeScope == 2;
    if (!countScope && !oneValid) {
        end();  // no such injector
    } else if (Block2.Mode2 == 3) {
        if (InjModeTarget == 0) {
            const int m = modeOf(idx);
            if (m == 4 || m == 3) {
                SetInjModePending(idx, 0);
                end();
            }
        } else if (InjModeTarget == 3 && InjModeScope == 1) {
            switch (modeOf(idx)) {
                case 0: SetInjModePending(idx, 1); break;
                case 1: SetInjModePending(idx, 2); end(); break;
                case 4: SetInjModePending(idx, 3); end(); break;
                case 3: end(); break;
                default: break;
            }
        } else if (InjModeTarget == 3 && InjModeScope == 2) {
            if (count == 0) {
                end();
            } else {
                bool anyAt0 = false, anyAt1 = false;
                for (int i = 0; i < count; ++i) {
                    switch (modeOf(i)) {
                        case 1: SetInjModePending(i, 2); anyAt1 = true; break;
                        case 4: SetInjModePending(i, 3); break;
                        case 0: SetInjModePending(i, 1); anyAt0 = true; break;
                        default: break;
                    }
                }
                if (anyAt0) {
                    Block3WriteRequest = 1;
                } else {
                    if (anyAt1) Block3WriteRequest = 1;
                    end();
                }
            }
        } else if (InjModeTarget == 4) {
            switch (modeOf(idx)) {
                case 0: SetInjModePending(idx, 1); break;
                case 1: SetInjModePending(idx, 2); break;
                case 3: SetInjModePending(idx, 4); end(); break;
                default: break;
            }
        }
    } else if (Block2.Mode2 == 0 || Block1.StatusBits == 0) {
        if (InjModeTarget == 0) {
            if (modeOf(idx) == 1) SetInjModePending(idx, 0);
            end();
        } else if (InjModeTarget == 3 && InjModeScope == 1) {
            if (modeOf(idx) == 0) SetInjModePending(idx, 1);
            end();
        } else if (InjModeTarget == 3 && InjModeScope == 2) {
            for (int i = 0; i < count; ++i)
                if (modeOf(i) == 0) SetInjModePending(i, 1);
            end();
        }
    }
    // A cylinder count still waiting to be written keeps the block 3 write coming.
    if (Block3Pending.Cylinders != kNoChangeByte && Block3Pending.Cylinders != Block3.Cylinders)
        Block3WriteRequest = 1;
}

void ParameterImage::DecodeSamples(bool gas, int set, const std::string& data) {
    SampleAnswer.Emit(gas, set, data);
}

void ParameterImage::SamplesCleared(bool gas) {
    SampleListCleared.Emit(gas);
}

void ParameterImage::Block2Written() {
    Block2Pending.Mode = kNoChangeByte;
    Block2Pending.Mode2 = kNoChangeByte;
}

}  // namespace gw
