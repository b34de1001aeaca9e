// DisplayScheduler: the display tick, its six slots, the fuel switch and the reset of the
// polling while the link is closed or off-line.
#include "app/DisplayScheduler.h"

#include "app/DictionaryEntries.h"
#include "link/Commands.h"
#include "link/ModComm.h"
#include "model/CorTableWrite.h"
#include "model/EcuRequests.h"
#include "util/Waits.h"

namespace gw {

namespace {

constexpr double kRefreshDelayUs = 1'000'000;

// A block's write countdown: while above 0 it counts down; when it drops below 1 the block
// is to be written and read back.
void TickCountdown(double& count, bool& writePending, bool& readRequest) {
    if (count <= 0) return;
    count -= 1;
    if (count < 1) {
        count = 0;
        writePending = true;
        readRequest = true;
    }
}

}  // namespace

FuelSwitchResult PerformFuelSwitch(ParameterImage& image, ClsComm& comm) {
    FuelSwitchResult r;
    int target = 0, polls = 0;
    if (image.Block2.Mode == 0) {
        target = 3;
        polls = kFuelSwitchPolls;
    } else if (image.Block2.Mode == 3) {
        target = 0;
    } else {
        return r;
    }
    image.Block2Pending.Mode = target;
    r.sent = WriteBlock(image, 2, comm);
    if (!r.sent) return r;
    while (r.polls < polls) {
        WaitMicroseconds(comm.host(), kFuelSwitchPollWaitUs);
        ++r.polls;
        if (!comm.SendMsgWait(RequestMsg(CMD_READ_MEM2))) break;
        if (image.Block2.Mode == 3) break;
    }
    return r;
}

DisplayScheduler::DisplayScheduler(Workbench& wb, ParameterImage& image, FirmwareCheck& check)
    : wb_(wb), image_(image), check_(check), loader_(wb, image, *this) {
    InitCounters();
}

void DisplayScheduler::Attach() {
    ticked_ = wb_.DisplayTicked.Connect([this] { Tick(); });
    writeAnswer_ = wb_.WritePending.Bind([this] { return WritePending(); });
    linkDown_ = wb_.Cycle->ClosedOrOffLine.Connect([this](std::uint8_t s) { OnClosedOrOffLine(s); });
}

void DisplayScheduler::InitCounters() {
    for (std::size_t i = 0; i < Counters.size(); ++i) Counters[i] = kSlotTimings[i].startAtLoad;
}

void DisplayScheduler::RequestFullRead() {
    EcuRequestFlags& r = image_.Requests;
    r.Block2ReadRequest = true;
    r.Block3ReadRequest = true;
    r.DcolReadRequest = true;
    // A table the ECU keeps refusing is not asked again: each refusal costs the link a
    // reconnection, which would ask for it again.
    r.CorReadRequest = image_.CorReadFailures < kCorReadAttempts;
    // An ECU without block 5 would refuse the read, and the refused request would hold up
    // every read after it.
    if (EcuHasBlock5()) r.Block5ReadRequest = true;
    RefreshPending = true;
}

bool DisplayScheduler::WritePending() const {
    const EcuRequestFlags& r = image_.Requests;
    return image_.Block2WriteRequest > 0 || image_.Block3WriteRequest > 0 ||
           (image_.Block5WriteRequest > 0 && EcuHasBlock5()) || r.Block2WritePending || r.Block3WritePending ||
           r.Block5WritePending || Block5PrepCountdown > 1 || FullWritePending();
}

bool DisplayScheduler::FullWritePending() const {
    return image_.Requests.CorTableWriteRequest != kCorWriteNone;
}

bool DisplayScheduler::EcuDataToRead() const { return RefreshPending && wb_.RequestsEnabled; }

LiveValues DisplayScheduler::Live() const { return GatherLiveValues(image_, wb_.Scale, wb_.Comm->EcuState); }

void DisplayScheduler::Refresh(GeneralPart part) {
    GeneralRefreshed.Emit(part);
}

void DisplayScheduler::ResetLiveDisplay() {
    shownRpm_ = 0;
    injectors_ = {};
}

void DisplayScheduler::Tick() {
    if (!wb_.RequestsEnabled) {
        ConnectionCheck();
        return;
    }
    const EcuRequestFlags& r = image_.Requests;
    if (RefreshPending && !r.Block2ReadRequest && !r.Block3ReadRequest &&
        !(r.Block5ReadRequest && EcuHasBlock5()) && !r.DcolReadRequest && !r.CorReadRequest && !FullWritePending())
        RefreshAfterRead();
    for (int slot = 1; slot <= 6; ++slot) {
        double& counter = Counters[static_cast<std::size_t>(slot - 1)];
        if (counter >= 1) {
            counter -= 1;
        } else {
            counter = kSlotTimings[static_cast<std::size_t>(slot - 1)].reload;
            RunSlot(slot);
        }
    }
}

void DisplayScheduler::ConnectionCheck() {
    const bool wasAccepted = wb_.RequestsEnabled;
    check_.VerificaFirmware(FirmwareFlags{wb_.RequestsEnabled, wb_.FirmwareUpdateRequested, wb_.ExitRequested},
                            wb_.IdentityTexts());
    // Accepted now: the firmware is known, so block 5 is asked only of an ECU that has it.
    if (!wasAccepted && wb_.RequestsEnabled) RequestFullRead();
}

void DisplayScheduler::RefreshAfterRead() {
    WaitMicroseconds(wb_.host, kRefreshDelayUs);
    RefreshedAfterRead.Emit();
    RefreshPending = false;
    image_.EvaluateAddTimeSwitch();
}

void DisplayScheduler::RunSlot(int slot) {
    switch (slot) {
        case 1: Slot1(); break;
        case 2: Slot2(); break;
        case 3: Slot3(); break;
        case 4: Slot4(); break;
        case 5: Slot5(); break;
        case 6: Slot6(); break;
        default: return;
    }
    SlotRan.Emit(slot);
}

void DisplayScheduler::Slot1() {
    ServiceRequests(image_, *wb_.Comm, wb_.RequestsEnabled);
    const LiveValues live = Live();
    view_.rpmText = RefreshEngineSpeed(shownRpm_, live);
    view_.injectors = RefreshInjectors(injectors_, live, SelectedInjector);
    Refresh(GeneralPart::SpeedAndInjectors);
    EcuRequestFlags& r = image_.Requests;
    TickCountdown(image_.Block2WriteRequest, r.Block2WritePending, r.Block2ReadRequest);
    if (Block5PrepCountdown > 1) {
        Block5PrepCountdown -= 1;
        if (Block5PrepCountdown < 2) {
            Block5Preparing.Emit();
            Block5PrepCountdown = WriteBlock(image_, 5, *wb_.Comm) ? 0 : 10;
        }
    }
}

void DisplayScheduler::Slot2() {
    EcuRequestFlags& r = image_.Requests;
    TickCountdown(image_.Block3WriteRequest, r.Block3WritePending, r.Block3ReadRequest);
    if (EcuHasBlock5()) TickCountdown(image_.Block5WriteRequest, r.Block5WritePending, r.Block5ReadRequest);
    if (!FullWritePending()) r.Block1ReadRequest = true;
    if (!wb_.PendingConfigFile.empty()) {
        const std::string path = wb_.PendingConfigFile;
        if (loader_.LoadPending(path)) wb_.PendingConfigFile.clear();
    }
    const LiveValues live = Live();
    view_.lambda = PresentLambda(live);
    RefreshGasLevel(view_.level, live);
    Refresh(GeneralPart::LambdaAndLevel);
}

void DisplayScheduler::Slot3() {
    if (wb_.FuelSwitchRequest != 1) return;
    PerformFuelSwitch(image_, *wb_.Comm);
    wb_.FuelSwitchRequest = 0;
}

void DisplayScheduler::Slot4() {
    if (!FullWritePending()) image_.Requests.Block2ReadRequest = true;
    const LiveValues live = Live();
    view_.lights = PresentStateLights(live);
    view_.timeText = ConnectionTimeText(wb_.Comm->TimeComSeconds());
    view_.pressure = PresentPressure(live);
    Refresh(GeneralPart::LightsAndPressure);
    if (image_.InjModeTarget >= 0) image_.StepInjModeSequence();
}

void DisplayScheduler::Slot5() {
    ConfigRefreshDue.Emit();
    view_.temperatures = PresentTemperatures(Live());
    Refresh(GeneralPart::Temperatures);
    EcuRequestFlags& r = image_.Requests;
    if (!FullWritePending()) {
        r.Block3ReadRequest = true;
        if (EcuHasBlock5()) r.Block5ReadRequest = true;
    }
    if (AutoTuningCountdown > 0) {
        AutoTuningCountdown -= 1;
        if (AutoTuningCountdown < 1) {
            AutoTuningCountdown = 0;
            r.BnzSampleReadRequest = true;
            r.GasSampleReadRequest = true;
        }
    }
    if (AutoTuningCountdown == 0 && AutoTuningTicked() &&
        !r.BnzSampleReadRequest && !r.GasSampleReadRequest)
        AutoTuningCountdown = 4;
}

void DisplayScheduler::Slot6() {
    ErrorMemoryDue.Emit();
    if (!wb_.Comm->RichiediIndVar) wb_.Comm->SendMsgWait(RequestMsg(CMD_GET_ADR_VAR));
}

void DisplayScheduler::OnClosedOrOffLine(std::uint8_t comState) {
    wb_.RequestsEnabled = false;
    ResetLiveDisplay();
    RequestFullRead();
    if (comState != kComOffLine) return;

    // Off-line: edits waiting for their countdown go into the image; nothing is sent.
    if (image_.Block2WriteRequest == 1) image_.EncodeBlock2();
    if (image_.Block3WriteRequest == 1) image_.EncodeBlock3();
    CorTableOffLineCleanup(image_);
    OffLineCleanup.Emit();
    // Not retried after this: a failure is reported now.
    if (!wb_.PendingConfigFile.empty()) loader_.LoadPending(wb_.PendingConfigFile, true);
    for (std::size_t i = 0; i < Counters.size(); ++i) Counters[i] = kSlotTimings[i].startAfterOffLine;
    image_.Block2WriteRequest = image_.Block3WriteRequest = image_.Block5WriteRequest = 0;
    Block5PrepCountdown = 0;
    AutoTuningCountdown = 0;
    EcuRequestFlags& r = image_.Requests;
    r.BnzSampleReadRequest = r.GasSampleReadRequest = false;
    r.BnzSampleCancelRequest = r.GasSampleCancelRequest = false;
    r.SaveFlashRequest = r.EcuStateToggleRequest = false;
    wb_.PendingConfigFile.clear();
}

}  // namespace gw
