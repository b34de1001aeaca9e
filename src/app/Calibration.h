// Calibration: the automatic calibration of the gas model's Offset while the engine runs, as
// a state machine advanced by a 250 ms timer (Timer3). It reads blocks 1 and 2 itself on
// every tick, switches the ECU to slave mode and between petrol and gas, compares the petrol
// time on gas with the petrol reference, corrects Offset step by step at raised speed and at
// idle, appends a report line per gas cycle, holds the result against its limits and
// restores everything it saved when cancelled. What the page shows is its view (texts,
// buttons, progress bar, blinking boxes), announced through signals; drawing is the page's.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "app/CalibrationRules.h"
#include "app/MainCaptions.h"
#include "link/ClsComm.h"
#include "model/CalibrationParameters.h"
#include "model/ParameterImage.h"
#include "model/ScaleConfig.h"
#include "util/Host.h"
#include "util/Query.h"
#include "util/Signal.h"

namespace gw {

// The calibration's texts in the current language (dictionary entries, English fallbacks).
struct CalibrationTexts {
    std::string CmdCalStart = "Yes", CmdCalCancel = "Esc";
    std::string Idle, StepWord = "Step ", TimeLeft = "Time left (s): ", Starting, WarmUp, TempReached;
    std::string IdleInstruction, PetrolReference, RaiseSpeed, GasCycle, PetrolPause, BackToIdle;
    std::string Done1, Done2, ResultHeader1, ResultHeader2, Confirm, Restoring;
    std::string OffsetAtMin, OffsetAtMax, AlfaAtMin, AlfaAtMax, TableRaised, TableLowered;
    std::string KeyOff, EngineStopped, NotSlave, Paused1, Paused2, SpeedTooLow;
    static CalibrationTexts Read(const MainCaptions& c);
};

// Colours of a blinking box (&HBBGGRR): yellow on black, or black on yellow.
struct BoxColours {
    std::uint32_t fore = 0xFFFF;  // yellow
    std::uint32_t back = 0;       // black
    bool operator==(const BoxColours&) const = default;
};

// What the Calibration page shows.
struct CalibrationView {
    std::string step;        // LblCalStep: empty, or a line break, the step word and "00" ... "03"
    std::string message;     // LblCalMsg
    bool messageCentred = false;
    bool yesEnabled = true;  // CmdCalStart
    bool escEnabled = false; // CmdCalCancel
    int barWidth = 0;        // ShpCalStep, twips, 0 ... kBarFullWidth
    bool barVisible = true;
    BoxColours tempBox;      // reducer temperature box of the parameters frame
    BoxColours speedBox;     // engine speed box
    bool busyPointer = false;
    bool operator==(const CalibrationView&) const = default;
};

// One gas cycle, as the report line holds it.
struct CalibrationCycle {
    bool raised = false;  // TaraMax (raised speed) or TaraMin (idle)
    int cycle = 0;
    double reference = 0, measured = 0, correction = 0, offsetBefore = 0, offsetAfter = 0;
    double temperature = 0, pressure = 0;
    double speed = 0;
};

class Calibration {
public:
    enum State : std::uint8_t {
        CalIdle = 0,
        CalPaused = 1,
        TaraInizio = 2,
        CalWarmUp = 3,
        CalSettle = 6,
        CalIdleRef = 7,
        CalRaiseSpeed = 8,
        CalHighRef = 9,
        TaraMax = 10,
        CalMaxPause = 11,
        CalBackToIdle = 12,
        TaraMin = 13,
        CalMinPause = 14,
        CalDone = 20,
        CalResult = 21,
        CalCancel = 23,
    };
    static constexpr double TicksPerSecond = 4.0;
    static constexpr int kTimerMs = 250;
    static constexpr int kBarFullWidth = 9000;  // twips
    static constexpr int kBarRestartWidth = 15;
    static constexpr int kBarStep = 30;
    static constexpr int kFirmwareWithBlock5 = 132;  // versions above it have block 5
    static constexpr int kBackupTableEntries = 191;

    // reportPath: "\TaraCorr.txt" in the executable's folder. The parameters and the scale
    // configuration (injector types) are read when used, so a reload takes effect.
    Calibration(Host& host, ClsComm& comm, ParameterImage& image, const CalibrationParameters& params,
                const ScaleConfig& scale, std::string reportPath);
    ~Calibration();
    Calibration(const Calibration&) = delete;
    Calibration& operator=(const Calibration&) = delete;

    void SetTexts(const CalibrationTexts& texts);
    const CalibrationTexts& Texts() const { return texts_; }

    // ---- the two buttons and the timer ----
    void CmdCalStart_Click();   // "Yes"
    void CmdCalCancel_Click();  // "Esc"
    void Timer3_Timer();        // one tick (the host's timer calls it every 250 ms while enabled)
    bool TimerEnabled() const;

    // ---- what the page shows ----
    const CalibrationView& View() const { return view_; }
    Signal<> ViewChanged;
    // CalState changed (old, new).
    Signal<State, State> StateChanged;
    // A gas cycle ended (its report line was appended, or lost when the file failed).
    Signal<const CalibrationCycle&> CycleDone;
    // The model changed (the model page redraws, refreshes its boxes and deselects).
    Signal<> ModelChanged;
    // The idle marker (ShpPmin) of the model plot: petrol time, gas time (ms), when the
    // calibration has ended its idle phase.
    Signal<double, double> IdleMarker;

    // The ECU's blocks and correction table have been read since the link was made. The
    // start waits for it: what a cancel restores must be what the ECU held.
    Query<bool()> EcuDataRead{false};

    // ---- state, for the page, the command-line tool and the tests ----
    State CalState() const { return state_; }
    State CalSavedState() const { return savedState_; }
    bool CalForce() const { return force_; }
    int CalTick() const { return tick_; }
    int CalLossCount() const { return lossCount_; }
    int CycleCount() const { return cycleCount_; }
    int ZeroCount() const { return zeroCount_; }
    double IdleSpeed() const { return idleSpeed_; }
    double IdleRefTime() const { return idleRefTime_; }
    double HighSpeed() const { return highSpeed_; }
    double HighRefTime() const { return highRefTime_; }
    double GasTime() const { return gasTime_; }
    double Correction() const { return correction_; }
    double IdleOffset() const { return idleOffset_; }
    bool CalBackupTaken() const { return backupTaken_; }
    // Result code of the final check (0 none, 1-6), and the limit of codes 1-4.
    int ResultCode() const { return resultCode_; }
    double ResultLimit() const { return resultLimit_; }
    // The step code shown ("00" ... "03"), empty outside the measuring steps.
    static std::string StepCode(State s);
    // The report line of the last cycle (without quotes) and whether it reached the file.
    const std::string& LastReportLine() const { return lastReportLine_; }
    // Items of the injector type's Note that were not understood at the last idle phase end.
    const std::vector<std::string>& IgnoredNoteItems() const { return ignoredNote_; }
    // The mean petrol time samples, newest first.
    double NewestSample() const { return samples_[0]; }
    double FourSampleMean() const;

private:
    void RunState();
    void ReadLiveBlocks();
    void TakeSample();
    void ConditionsLost();
    void SetState(State s);
    void Publish();

    void StateIdle();
    void StatePaused();
    void StateStart();
    void StateWarmUp();
    void StateSettle();
    void StateReference(bool raised);
    void StateRaiseSpeed();
    void StateGasCycle(bool raised);
    void StatePause(bool raised);
    void StateBackToIdle();
    void StateDone();
    void StateResult();
    void StateCancel();
    void IdlePhaseEnd();

    // Writes Mode into block 2 (0 petrol, 3 gas); false (image as before) when it failed.
    bool RequestMode(int mode);
    bool SendSlaveSwitch();
    bool PollBlock2();
    void Wait(double us);
    // The correction table to the ECU (served by the communication cycle): built from the
    // model, or as the image holds it.
    void RequestTableWrite();
    void WriteTableAsItIs();
    void BeginStep(const char* code);
    std::string TimeLeftLine() const;
    int CycleLength(bool raised) const;
    void BarRestart() { view_.barWidth = kBarRestartWidth; }
    void BarAdd(int n) { view_.barWidth = std::min(view_.barWidth + n, kBarFullWidth); }
    void BarFill() { view_.barWidth = kBarFullWidth; }
    void BarRefresh() {
        view_.barWidth = std::min(view_.barWidth, kBarFullWidth);
        view_.barVisible = true;
    }
    static void Blink(BoxColours& box);
    const InjType* SelectedInjType() const;
    int Rpm() const { return image_.Block1.Rpm; }
    bool KeyOn() const { return (image_.Block1.StatusBits & 1) != 0; }

    Host& host_;
    ClsComm& comm_;
    ParameterImage& image_;
    const CalibrationParameters& params_;
    const ScaleConfig& scale_;
    std::string reportPath_;
    CalibrationTexts texts_;
    std::unique_ptr<Timer> timer_;
    std::unique_ptr<Timer> deferred_;  // a tick put off until another exchange is over
    CalibrationView view_;
    CalibrationView published_;

    bool tickRunning_ = false;
    State state_ = CalIdle;
    State savedState_ = CalIdle;
    bool force_ = false;
    int tick_ = 0;
    int lossCount_ = 0;
    int cycleCount_ = 0;
    int zeroCount_ = 0;
    double idleSpeed_ = 0, idleRefTime_ = 0, highSpeed_ = 0, highRefTime_ = 0;
    double gasTime_ = 0, gasSpeed_ = 0, correction_ = 0, idleOffset_ = 0;
    double timeSum_ = 0, speedSum_ = 0;
    bool backupTaken_ = false;
    double injLimitHigh_ = 0, injLimitLow_ = 0;
    int resultCode_ = 0;
    double resultLimit_ = 0;
    std::string lastReportLine_;
    std::vector<std::string> ignoredNote_;
    std::array<double, 4> samples_{};
    int sampleCount_ = 0;

    // Saved at the start, restored by a cancel.
    Block2Record block2Backup_;
    Block3Record block3Backup_;
    Block5Record block5Backup_;
    TimeTable tableBackup_{};
    ModelRecord modelBackup_;
};

}  // namespace gw
