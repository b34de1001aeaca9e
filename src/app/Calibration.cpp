#include "app/Calibration.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/DictionaryEntries.h"
#include "link/Commands.h"
#include "link/ModComm.h"
#include "model/CorTableWrite.h"
#include "model/CorrectionTables.h"
#include "model/ModelEditing.h"
#include "model/EcuRequests.h"
#include "util/Numbers.h"
#include "util/Waits.h"

namespace gw {

namespace {

constexpr double kDirectReadWaitUs = 1'000'000;  // answer wait of the tick's own reads
constexpr int kDirectReadAttempts = 3;
constexpr int kLossCountdown = 9;
constexpr std::uint32_t kYellow = 0xFFFF;
constexpr std::uint32_t kBlack = 0;
const BoxColours kNormalBox{kYellow, kBlack};     // yellow text on black
const BoxColours kSpeedOkBox{kBlack, kYellow};    // black text on yellow

// Cycle lengths and pauses that the configuration file does not hold.
constexpr int kMaxFirstCycle = 4, kMaxSecondCycle = 6, kMaxFirstPause = 8;
constexpr int kMinFirstCycle = 6, kMinSecondCycle = 4, kMinFirstPause = 4;

// Restores a value when the scope ends, unless told to keep the new one.
template <class T>
struct Restore {
    T& target;
    T saved;
    bool keep = false;
    explicit Restore(T& t) : target(t), saved(t) {}
    ~Restore() {
        if (!keep) target = saved;
    }
};

}  // namespace

CalibrationTexts CalibrationTexts::Read(const MainCaptions& c) {
    CalibrationTexts t;
    auto at = [&c](int n, std::string& field, const char* fallback) { field = c.Caption(n, fallback); };
    auto after = [&c](int k, std::string& field, const char* fallback) { field = c.AfterErrors(k, fallback); };
    at(kEntryCmdCalStart, t.CmdCalStart, "Yes");
    at(kEntryCalIdle, t.Idle, "Press Yes to start the automatic calibration.");
    at(kEntryCalStepWord, t.StepWord, "Step ");
    at(kEntryCalTimeLeft, t.TimeLeft, "Time left (s): ");
    at(kEntryCalStarting, t.Starting, "Starting...");
    at(kEntryCalWarmUp, t.WarmUp, "Waiting for the reducer to warm up.");
    at(kEntryCalTempReached, t.TempReached, "Reducer temperature reached.");
    at(kEntryCalIdleInstruction, t.IdleInstruction, "Let the engine idle on petrol.");
    at(kEntryCalPetrolReference, t.PetrolReference, "Measuring the petrol reference.");
    at(kEntryCalRaiseSpeed, t.RaiseSpeed, "Raise the engine speed and hold it steady.");
    at(kEntryCalGasCycle, t.GasCycle, "Running on gas: measuring.");
    at(kEntryCalPetrolPause, t.PetrolPause, "Pause.");
    at(kEntryCalDone1, t.Done1, "Automatic calibration completed.");
    at(kEntryCalDone2, t.Done2, "Press Yes to switch to gas and finish.");
    at(kEntryCalResultHeader1, t.ResultHeader1, "Automatic calibration completed with corrections.");
    at(kEntryCalResultHeader2, t.ResultHeader2, "A limit of the model was reached:");
    at(kEntryCalOffsetAtMin, t.OffsetAtMin, "Offset set to its minimum (ms): ");
    at(kEntryCalOffsetAtMax, t.OffsetAtMax, "Offset set to its maximum (ms): ");
    at(kEntryCalAlfaAtMin, t.AlfaAtMin, "Slope set to its minimum: ");
    at(kEntryCalAlfaAtMax, t.AlfaAtMax, "Slope set to its maximum: ");
    at(kEntryCalTableRaised, t.TableRaised, "Some gas times were raised to the injector's limit.");
    at(kEntryCalTableLowered, t.TableLowered, "Some gas times were lowered to the injector's limit.");
    at(kEntryCalKeyOff, t.KeyOff, "Ignition key off: the calibration will be cancelled.");
    at(kEntryCalEngineStopped, t.EngineStopped, "Engine stopped: the calibration will be cancelled.");
    at(kEntryCalNotSlave, t.NotSlave, "The ECU is not under the workbench's control.");
    at(kEntryCalPaused1, t.Paused1, "Calibration paused.");
    at(kEntryCalPaused2, t.Paused2, "Press Yes to resume or Esc to cancel.");
    after(kAfterErrorsCalConfirm, t.Confirm, "Press Yes to keep the result or Esc to restore the previous settings.");
    after(kAfterErrorsCalRestoring, t.Restoring, "Restoring the previous ECU settings...");
    after(kAfterErrorsCalBackToIdle, t.BackToIdle, "Let the engine return to idle.");
    after(kAfterErrorsCalSpeedTooLow, t.SpeedTooLow, "Engine speed too low: ");
    at(kEntryMnuFileEsc, t.CmdCalCancel, "Esc");
    // The menu's caption carries its access key.
    t.CmdCalCancel.erase(std::remove(t.CmdCalCancel.begin(), t.CmdCalCancel.end(), '&'), t.CmdCalCancel.end());
    if (t.CmdCalCancel.empty()) t.CmdCalCancel = "Esc";
    return t;
}

Calibration::Calibration(Host& host, ClsComm& comm, ParameterImage& image, const CalibrationParameters& params,
                         const ScaleConfig& scale, std::string reportPath)
    : host_(host),
      comm_(comm),
      image_(image),
      params_(params),
      scale_(scale),
      reportPath_(std::move(reportPath)) {
    texts_ = CalibrationTexts::Read(MainCaptions{});
    timer_ = host_.CreateTimer([this] { Timer3_Timer(); });
    timer_->SetIntervalMs(kTimerMs);
    timer_->SetEnabled(false);
    deferred_ = host_.CreateTimer([this] { Timer3_Timer(); });
    deferred_->SetIntervalMs(1);
    deferred_->SetEnabled(false);
    view_.message = texts_.Idle;
    view_.barWidth = kBarFullWidth;
    published_ = view_;
}

Calibration::~Calibration() = default;

void Calibration::SetTexts(const CalibrationTexts& texts) {
    texts_ = texts;
    if (state_ == CalIdle) view_.message = texts_.Idle;
    Publish();
}

bool Calibration::TimerEnabled() const { return timer_->Enabled(); }

std::string Calibration::StepCode(State s) {
    switch (s) {
        case TaraInizio:
        case CalWarmUp: return "00";
        case CalSettle:
        case CalIdleRef: return "01";
        case CalRaiseSpeed:
        case CalHighRef:
        case TaraMax:
        case CalMaxPause: return "02";
        case CalBackToIdle:
        case TaraMin:
        case CalMinPause: return "03";
        default: return "";
    }
}

double Calibration::FourSampleMean() const {
    const int n = std::min(sampleCount_, 4);
    if (n == 0) return 0;
    double sum = 0;
    for (int i = 0; i < n; ++i) sum += samples_[static_cast<std::size_t>(i)];
    return sum / n;
}

void Calibration::SetState(State s) {
    if (s == state_) return;
    const State old = state_;
    state_ = s;
    StateChanged.Emit(old, s);
}

void Calibration::Publish() {
    if (view_ == published_) return;
    published_ = view_;
    ViewChanged.Emit();
}

// ---- buttons ----

void Calibration::CmdCalStart_Click() {
    if (!view_.yesEnabled) return;
    view_.yesEnabled = false;
    Publish();
    switch (state_) {
        case CalIdle:
            force_ = false;
            SetState(TaraInizio);
            timer_->SetEnabled(true);
            break;
        case CalPaused: SetState(savedState_); break;
        case CalDone:
            view_.busyPointer = true;
            Publish();
            if (!RequestMode(3)) {
                // The ECU did not take gas: the button stays disabled until the next tick
                // shows the finished texts again.
                view_.busyPointer = false;
                Publish();
                return;
            }
            Wait(4'000'000);
            view_.busyPointer = false;
            SetState(CalIdle);
            break;
        case CalResult: SetState(CalDone); break;
        default: break;
    }
    view_.yesEnabled = true;
    Publish();
}

void Calibration::CmdCalCancel_Click() {
    if (state_ == CalIdle) return;  // "Esc" is disabled there
    if (state_ == CalPaused || state_ == CalResult || state_ == CalCancel) {
        force_ = true;
        SetState(CalCancel);
    } else {
        savedState_ = state_;
        SetState(CalPaused);
    }
    Publish();
}

// ---- the tick ----

void Calibration::Timer3_Timer() {
    if (tickRunning_) return;
    // A tick let through while another exchange waits for its answer, or while the correction
    // table is being sent, would change the image under that transfer: it runs as soon as
    // the transfer is over.
    if (comm_.ComState == kComSending || comm_.ComState == kComWaiting || image_.CorTableTransferRunning) {
        deferred_->SetEnabled(true);
        return;
    }
    deferred_->SetEnabled(false);
    tickRunning_ = true;
    struct Guard {
        Calibration& c;
        ~Guard() {
            c.tickRunning_ = false;
            c.Publish();
        }
    } guard{*this};

    ReadLiveBlocks();
    TakeSample();
    if (force_) {
        RunState();
        return;
    }
    // Until the ECU's data are in, the engine's state cannot be judged either (the speed needs
    // block 3): the start waits.
    if (state_ == TaraInizio && !backupTaken_ && !(EcuDataRead() && image_.CorTableKnown)) {
        BeginStep("00");
        view_.message = texts_.Starting;
        BarRefresh();
        return;
    }
    const bool conditions = lossCount_ <= 0 && KeyOn() && Rpm() >= 10;
    if (conditions && (image_.Block2.SlaveState == 1 || state_ == CalIdle || state_ == TaraInizio)) {
        RunState();
    } else if (state_ == CalIdle) {
        StateIdle();
    } else if (state_ == CalCancel) {
        StateCancel();
    } else {
        ConditionsLost();
    }
}

void Calibration::ReadLiveBlocks() {
    // No link: the image is used as it stands.
    if (comm_.ComState != kComIdle) return;
    comm_.AttesaGlobale_usec = kDirectReadWaitUs;
    for (const std::uint8_t command : {CMD_READ_MEM1, CMD_READ_MEM2})
        for (int attempt = 0; attempt < kDirectReadAttempts; ++attempt)
            if (comm_.SendMsgWait(RequestMsg(command))) break;
    comm_.AttesaGlobale_usec_Default();
}

void Calibration::TakeSample() {
    // The mean petrol time over the cylinders in use, as the status display shows it.
    const int cylinders = std::clamp(image_.Block3.Cylinders, 1, kInjectors);
    double mean = 0;
    if (KeyOn()) {
        for (int i = 0; i < cylinders; ++i) mean += image_.Block1.InjTimeBnz[static_cast<std::size_t>(i)];
        mean /= cylinders;
    }
    for (std::size_t i = samples_.size() - 1; i > 0; --i) samples_[i] = samples_[i - 1];
    samples_[0] = mean;
    sampleCount_ = std::min(sampleCount_ + 1, static_cast<int>(samples_.size()));
}

void Calibration::RunState() {
    switch (state_) {
        case CalIdle: StateIdle(); break;
        case CalPaused: StatePaused(); break;
        case TaraInizio: StateStart(); break;
        case CalWarmUp: StateWarmUp(); break;
        case CalSettle: StateSettle(); break;
        case CalIdleRef: StateReference(false); break;
        case CalRaiseSpeed: StateRaiseSpeed(); break;
        case CalHighRef: StateReference(true); break;
        case TaraMax: StateGasCycle(true); break;
        case CalMaxPause: StatePause(true); break;
        case CalBackToIdle: StateBackToIdle(); break;
        case TaraMin: StateGasCycle(false); break;
        case CalMinPause: StatePause(false); break;
        case CalDone: StateDone(); break;
        case CalResult: StateResult(); break;
        case CalCancel: StateCancel(); break;
        default: SetState(CalCancel); break;
    }
}

void Calibration::ConditionsLost() {
    view_.messageCentred = true;
    if (!KeyOn())
        view_.message = texts_.KeyOff;
    else if (image_.Block2.SlaveState == 1)
        view_.message = texts_.EngineStopped;
    else
        view_.message = texts_.NotSlave;
    if (state_ == CalWarmUp) {
        SetState(CalCancel);
        return;
    }
    if (lossCount_ == 0) {
        lossCount_ = kLossCountdown;
    } else if (lossCount_ == 1) {
        lossCount_ = 0;
        SetState(CalCancel);
    } else {
        --lossCount_;
    }
}

// ---- helpers ----

bool Calibration::RequestMode(int mode) {
    const Block2Record scratch = image_.Block2;
    image_.Block2Pending.Mode = mode;
    if (WriteBlock(image_, 2, comm_)) return true;
    image_.Block2 = scratch;
    image_.Block2Pending.Mode = kNoChangeByte;
    return false;
}

bool Calibration::SendSlaveSwitch() { return SendEcuState(image_, comm_); }

bool Calibration::PollBlock2() { return comm_.SendMsgWait(RequestMsg(CMD_READ_MEM2)); }

void Calibration::Wait(double us) { WaitMicroseconds(host_, us); }

void Calibration::RequestTableWrite() { RequestCorTableWrite(image_, kCorWriteFromModel); }

// The table the image holds is the one meant for the ECU (the checked result, the restored
// backup): a request still pending to rebuild it from the model would undo it.
void Calibration::WriteTableAsItIs() { image_.Requests.CorTableWriteRequest = kCorWriteTable; }

void Calibration::BeginStep(const char* code) {
    view_.escEnabled = true;
    view_.yesEnabled = false;
    view_.messageCentred = false;
    const std::string step = "\n" + texts_.StepWord + code;
    if (view_.step != step) view_.step = step;
}

std::string Calibration::TimeLeftLine() const {
    return "\n\n" + texts_.TimeLeft + std::to_string(static_cast<int>(std::trunc(tick_ / TicksPerSecond)));
}

int Calibration::CycleLength(bool raised) const {
    if (raised) return cycleCount_ == 0 ? kMaxFirstCycle : cycleCount_ == 1 ? kMaxSecondCycle : params_.MaxCycleTicks;
    return cycleCount_ == 0 ? kMinFirstCycle : cycleCount_ == 1 ? kMinSecondCycle : params_.MinCycleTicks;
}

void Calibration::Blink(BoxColours& box) { box = box == kNormalBox ? kSpeedOkBox : kNormalBox; }

const InjType* Calibration::SelectedInjType() const {
    for (const InjType& t : scale_.InjTypes)
        if (t.Code == image_.Block3.TpyInj) return &t;
    return nullptr;
}

// ---- the states ----

void Calibration::StateIdle() {
    view_.step.clear();
    view_.message = texts_.Idle;
    view_.messageCentred = false;
    view_.escEnabled = false;
    view_.yesEnabled = true;
    view_.barWidth = kBarFullWidth;
    if (image_.Block2.SlaveState == 1) {
        // Back to normal running; the timer keeps running until the ECU has taken it.
        if (!SendSlaveSwitch()) return;
        image_.Block2.SlaveState = 0;
    }
    BarFill();
    timer_->SetEnabled(false);
}

void Calibration::StatePaused() {
    view_.escEnabled = true;
    view_.yesEnabled = true;
    view_.step.clear();
    view_.messageCentred = false;
    view_.message = texts_.Paused1 + "\n" + texts_.Paused2;
}

void Calibration::StateStart() {
    BeginStep("00");
    view_.message = texts_.Starting;
    if (!backupTaken_) {
        backupTaken_ = true;
        block2Backup_ = image_.Block2;
        block3Backup_ = image_.Block3;
        block5Backup_ = image_.Block5;
        timeSum_ = speedSum_ = 0;
        cycleCount_ = zeroCount_ = 0;
        if (const InjType* t = SelectedInjType()) {
            injLimitHigh_ = t->LimitHigh;
            injLimitLow_ = t->LimitLow;
        } else {
            injLimitHigh_ = injLimitLow_ = 0;
            host_.MessageBox("TaraInizio_Err - Subscript out of range", image_.Comm().AppTitle, MsgIcon::Exclamation,
                             MsgButtons::Ok);
        }
        tableBackup_ = image_.CorTable;
        modelBackup_ = image_.Model;
    }
    if (image_.Block2.SlaveState == 1) {
        SetState(CalWarmUp);
    } else if (SendSlaveSwitch()) {
        image_.Block2.SlaveState = 1;
    }
    BarRefresh();
    Publish();
    Wait(1'000'000);
}

void Calibration::StateWarmUp() {
    BeginStep("00");
    const double temp = image_.Block1.TempReducer;
    if (temp > params_.WarmTempMin) {
        view_.message = texts_.TempReached;
        DisponiMatriceModDefault(image_.Model);
        ModelChanged.Emit();
        RequestTableWrite();
        Publish();
        for (int i = 0; i < 10; ++i) {
            host_.DoEvents();
            Wait(20'000);
        }
        if (image_.Block2.Mode2 != 0 && !RequestMode(0)) {
            BarRefresh();
            return;
        }
        Wait(500'000);
        tick_ = params_.SettleTicks;
        image_.Model.Offset = 0;
        correction_ = gasTime_ = highRefTime_ = idleRefTime_ = 0;
        SetState(CalSettle);
        view_.tempBox = kNormalBox;
    } else {
        view_.message = texts_.WarmUp + "\n " + FormatFixed(temp, 2, 1) + " < " +
                        FormatFixed(params_.WarmTempMin, 2, 1);
        Blink(view_.tempBox);
    }
    BarRefresh();
}

void Calibration::StateSettle() {
    BeginStep("01");
    view_.message = texts_.IdleInstruction + TimeLeftLine();
    if (tick_ > 0 || tick_ == params_.SettleTicks) --tick_;
    if (tick_ <= 0) {
        tick_ = params_.IdleRefTicks;
        SetState(CalIdleRef);
    }
    BarRefresh();
}

void Calibration::StateReference(bool raised) {
    BeginStep(raised ? "02" : "01");
    view_.message = texts_.PetrolReference + TimeLeftLine();
    const int n = raised ? params_.HighRefTicks : params_.IdleRefTicks;
    if (tick_ == n) {
        timeSum_ = speedSum_ = 0;
        --tick_;
        BarRestart();
    } else if (tick_ > 0) {
        speedSum_ += Rpm();
        timeSum_ += FourSampleMean();
        --tick_;
        BarAdd(kBarStep);
    }
    if (tick_ > 0) return;
    const double divisor = n > 1 ? n - 1 : 1;
    if (!raised) {
        idleSpeed_ = speedSum_ / divisor;
        idleRefTime_ = timeSum_ / divisor;
        tick_ = params_.HighHoldTicks;
        SetState(CalRaiseSpeed);
        BarFill();
    } else {
        highSpeed_ = speedSum_ / divisor;
        highRefTime_ = timeSum_ / divisor;
        cycleCount_ = zeroCount_ = 0;
        tick_ = kMaxFirstCycle;
        SetState(TaraMax);
        BarAdd(kBarStep);
    }
}

void Calibration::StateRaiseSpeed() {
    BeginStep("02");
    view_.message = texts_.RaiseSpeed + TimeLeftLine();
    if (tick_ == params_.HighHoldTicks) {
        --tick_;
    } else {
        const double limit = (1 - params_.HighSpeedTol) * params_.HighSpeedTarget;
        if (limit >= Rpm()) {
            view_.message += "\n\n" + texts_.SpeedTooLow + FormatFixed(Rpm(), 4, 1) + " < " + FormatFixed(limit, 4, 1);
            Blink(view_.speedBox);
        } else {
            --tick_;
            view_.speedBox = kSpeedOkBox;
        }
    }
    if (tick_ <= 0) {
        tick_ = params_.HighRefTicks;
        SetState(CalHighRef);
    }
}

void Calibration::StateGasCycle(bool raised) {
    BeginStep(raised ? "02" : "03");
    view_.message = texts_.GasCycle + TimeLeftLine();
    struct BarStep {
        Calibration& c;
        ~BarStep() { c.BarAdd(kBarStep); }
    } barStep{*this};
    if (image_.Block2.Mode2 != 3) {
        RequestMode(3);
        return;
    }
    const int n = CycleLength(raised);
    if (tick_ >= n) {
        timeSum_ = speedSum_ = 0;
        --tick_;
    } else if (tick_ > 0) {
        timeSum_ += NewestSample();
        speedSum_ += Rpm();
        --tick_;
    }
    if (tick_ > 0) return;
    // The cycle's end. Back to petrol first at raised speed, so that a failed request retries
    // the end without counting the last sample twice.
    if (raised && !RequestMode(0)) return;
    timeSum_ += NewestSample();
    speedSum_ += Rpm();
    gasTime_ = timeSum_ / n;
    gasSpeed_ = speedSum_ / n;

    CorrectionInput in;
    in.measured = gasTime_;
    if (raised) {
        in.reference = highRefTime_;
        in.tolerance = params_.MaxTimeTol;
        in.gain = params_.MaxGain;
        in.maxStep = params_.MaxStep;
        in.measuredSpeed = gasSpeed_;
        in.referenceSpeed = highSpeed_;
    } else {
        in.reference = idleRefTime_;
        in.tolerance = params_.MinTimeTol;
        in.gain = params_.MinGain;
        in.maxStep = params_.MinStep;
    }
    correction_ = CorrectionRule(in);
    ++cycleCount_;

    CalibrationCycle cycle;
    cycle.raised = raised;
    cycle.cycle = cycleCount_;
    cycle.reference = in.reference;
    cycle.measured = gasTime_;
    cycle.correction = correction_;
    cycle.offsetBefore = image_.Model.Offset;
    cycle.temperature = image_.Block1.TempReducer;
    cycle.pressure = image_.Block1.Pressure;
    cycle.speed = gasSpeed_;
    const std::string label = std::string(raised ? "TaraMax Ciclo " : "TaraMin Ciclo ") + std::to_string(cycleCount_) + " ";
    lastReportLine_ = ReportLine(label, cycle.reference, cycle.measured, cycle.correction, cycle.offsetBefore,
                                 cycle.temperature, cycle.pressure, host_.Locale());
    ScriviDatiTaratura(reportPath_, lastReportLine_);  // a line that cannot be written is lost

    if (correction_ != 0) {
        const float before = image_.Model.Offset;
        const double wanted = std::clamp(static_cast<double>(before) + correction_, params_.OffsetMin, params_.OffsetMax);
        image_.Model.Offset = static_cast<float>(wanted);
        RecomputeModel(image_.Model);
        ModelChanged.Emit();
        if (image_.Model.Offset != before) RequestTableWrite();
    }
    cycle.offsetAfter = image_.Model.Offset;
    CycleDone.Emit(cycle);

    if (raised) {
        if (correction_ == 0) ++zeroCount_;
    } else {
        if (correction_ != 0)
            zeroCount_ = 0;
        else
            ++zeroCount_;
        if (cycleCount_ < 2) zeroCount_ = 0;
    }

    if (raised) {
        if (zeroCount_ >= params_.MaxZeroLimit || cycleCount_ >= params_.MaxCycleLimit) {
            tick_ = params_.BackToIdleTicks;
            SetState(CalBackToIdle);
        } else {
            tick_ = cycleCount_ == 1 ? kMaxFirstPause : params_.MaxPauseTicks;
            SetState(CalMaxPause);
        }
    } else {
        if (cycleCount_ >= params_.MinCycleLimit || zeroCount_ >= params_.MinZeroLimit) {
            IdlePhaseEnd();
        } else {
            tick_ = cycleCount_ == 1 ? kMinFirstPause : params_.MinPauseTicks;
            SetState(CalMinPause);
        }
    }
}

void Calibration::StatePause(bool raised) {
    BeginStep(raised ? "02" : "03");
    view_.message = (raised ? texts_.PetrolPause : texts_.GasCycle) + TimeLeftLine();
    if (raised && image_.Block2.Mode2 != 0) {
        RequestMode(0);
        BarAdd(kBarStep);
        return;
    }
    if (tick_ > 0) --tick_;
    if (tick_ <= 0) {
        tick_ = CycleLength(raised);
        SetState(raised ? TaraMax : TaraMin);
    }
    BarAdd(kBarStep);
}

void Calibration::StateBackToIdle() {
    BeginStep("03");
    view_.message = texts_.BackToIdle + TimeLeftLine();
    if (image_.Block2.Mode2 != 0 && !RequestMode(0)) return;
    if (tick_ == params_.BackToIdleTicks) {
        --tick_;
    } else if (tick_ < 1) {
        tick_ = kMinFirstCycle;
        cycleCount_ = zeroCount_ = 0;
        SetState(TaraMin);
        view_.speedBox = kNormalBox;
        BarRestart();
    } else {
        const double limit = (1 - params_.IdleSpeedTol) * idleSpeed_;
        if (limit >= Rpm()) {
            view_.message += "\n\n" + texts_.SpeedTooLow + FormatFixed(Rpm(), 4, 1) + " < " + FormatFixed(limit, 4, 1);
            Blink(view_.speedBox);
        } else {
            --tick_;
        }
    }
}

void Calibration::IdlePhaseEnd() {
    idleOffset_ = image_.Model.Offset;
    ModelPoint& p1 = image_.Model.points[1];
    p1.X = IdlePlace(idleRefTime_);
    p1.Shift = 0;
    p1.DefaultPlace = p1.X;
    const InjType* type = SelectedInjType();
    ignoredNote_ = AdaptEnrichments(image_.Model, type ? type->Note : std::string());

    FinalCheckLimits limits;
    limits.OffsetMin = params_.OffsetMin;
    limits.OffsetMax = params_.OffsetMax;
    limits.AlfaMin = params_.AlfaMin;
    limits.AlfaMax = params_.AlfaMax;
    limits.InjLimitHigh = injLimitHigh_;
    limits.InjLimitLow = injLimitLow_;
    limits.IdleRefTime = idleRefTime_;
    TimeTable table = image_.CorTable;
    resultCode_ = FinalCheck(image_.Model, table, limits);
    resultLimit_ = LimitOfCode(resultCode_, limits);
    image_.CorTable = table;
    WriteTableAsItIs();
    ModelChanged.Emit();
    IdleMarker.Emit(idleRefTime_, idleRefTime_ + idleOffset_);
    SetState(resultCode_ == 0 ? CalDone : CalResult);
}

void Calibration::StateDone() {
    view_.escEnabled = true;
    view_.yesEnabled = true;
    view_.step.clear();
    view_.messageCentred = false;
    view_.message = texts_.Done1 + "\n" + texts_.Done2;
}

void Calibration::StateResult() {
    view_.escEnabled = true;
    view_.yesEnabled = true;
    view_.step.clear();
    view_.messageCentred = false;
    std::string text = texts_.ResultHeader1 + "\n" + texts_.ResultHeader2 + "\n";
    const std::string limit = FormatFixed(resultLimit_, 3, 1);
    switch (resultCode_) {
        case 1: text += texts_.OffsetAtMin + limit; break;
        case 2: text += texts_.OffsetAtMax + limit; break;
        case 3: text += texts_.AlfaAtMin + limit; break;
        case 4: text += texts_.AlfaAtMax + limit; break;
        case 5: text += "\n" + texts_.TableRaised; break;
        case 6: text += "\n" + texts_.TableLowered; break;
        default: break;
    }
    view_.message = text + "\n" + texts_.Confirm;
}

void Calibration::StateCancel() {
    view_.message = texts_.Restoring;
    view_.messageCentred = false;
    view_.escEnabled = false;
    view_.yesEnabled = false;
    Publish();
    if (backupTaken_) {
        // 1. Under the workbench's control.
        if (image_.Block2.SlaveState != 1) {
            SendSlaveSwitch();
            Wait(250'000);
            for (int i = 0; i < 3 && image_.Block2.SlaveState != 1; ++i) {
                PollBlock2();
                Wait(250'000);
            }
        }
        // 2. Block 3 as it was.
        {
            Restore<Block3Record> image3(image_.Block3);
            image_.ResetPendingRecords();
            image_.Block3 = block3Backup_;
            if (!WriteBlock(image_, 3, comm_)) return;
            image3.keep = true;
        }
        // 3. Block 5 on the ECUs that have it.
        if (image_.EcuFirmwareVersion() > kFirmwareWithBlock5) {
            Restore<Block5Record> image5(image_.Block5);
            image_.Block5 = block5Backup_;
            if (!WriteBlock(image_, 5, comm_)) return;
            image5.keep = true;
        }
        // 4. The table and the model.
        std::copy_n(tableBackup_.begin(), kBackupTableEntries, image_.CorTable.begin());
        image_.Model = modelBackup_;
        ModelChanged.Emit();
        WriteTableAsItIs();
        // 5.
        for (int i = 0; i < 10; ++i) Wait(100'000);
        // 6. Block 2 as it was, on petrol.
        {
            Restore<Block2Record> image2(image_.Block2);
            const Block2Record now = image_.Block2;
            image_.Block2 = block2Backup_;
            // The ECU's own states and its working-time counters are not the workbench's to
            // write back: the counters went on counting during the calibration.
            image_.Block2.Mode2 = now.Mode2;
            image_.Block2.SlaveState = now.SlaveState;
            image_.Block2.Minutes1 = now.Minutes1;
            image_.Block2.Minutes2 = now.Minutes2;
            image_.Block2Pending.Mode = 0;
            if (!WriteBlock(image_, 2, comm_)) {
                image_.Block2Pending.Mode = kNoChangeByte;
                return;
            }
            image2.keep = true;
        }
        // 7. Back to normal running.
        if (image_.Block2.SlaveState != 0) {
            if (SendSlaveSwitch()) image_.Block2.SlaveState = 0;
            Wait(250'000);
            for (int i = 0; i < 3 && image_.Block2.SlaveState != 0; ++i) {
                PollBlock2();
                Wait(250'000);
            }
        }
        backupTaken_ = false;
    }
    SetState(CalIdle);
    BarRefresh();
}

}  // namespace gw
