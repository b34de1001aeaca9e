// DisplayScheduler: the display timer's work (Timer2, 14 ms). Until the ECU is accepted it
// runs the identity check; then six slots at their own rates serve one ECU request per S1
// slot, turn expired block countdowns into writes and read-backs, ask the periodic reads,
// refresh the General page's values through GeneralPresenter, switch the fuel, load a
// pending configuration (ConfigLoader) and read the error memory. It also resets the polling
// when the link is closed or off-line. The pages listen to its signals; it draws nothing.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "app/ConfigLoader.h"
#include "app/GeneralPresenter.h"
#include "app/Workbench.h"
#include "link/FirmwareCheck.h"
#include "model/ParameterImage.h"
#include "util/Query.h"
#include "util/Signal.h"

namespace gw {

// The parts of the General page a refresh concerns.
enum class GeneralPart {
    SpeedAndInjectors,  // S1: rpmText, injectors
    LambdaAndLevel,     // S2: lambda, level, and the calibration-parameters frame
    LightsAndPressure,  // S4: lights, timeText, pressure
    Temperatures,       // S5: temperatures
};


// The six slots' rates and start values.
struct SlotTiming {
    double reload;
    double startAtLoad;
    double startAfterOffLine;
};
inline constexpr std::array<SlotTiming, 6> kSlotTimings{{
    {1, 3, 3},
    {4, 7, 7},
    {17, 17, 17},
    {23, 23, 23},
    {53, 53, 53},
    {503, 101, 103},
}};

// Polls after a switch to gas, and the pause before each.
inline constexpr int kFuelSwitchPolls = 20;
inline constexpr double kFuelSwitchPollWaitUs = 500'000;

struct FuelSwitchResult {
    bool sent = false;  // the write of the fuel selection was answered
    int polls = 0;      // block-2 reads made to confirm it
};
// The logo's fuel switch: petrol (0) to gas (3) with up to 20 confirmation polls, gas to
// petrol with none; any other selection sends nothing.
FuelSwitchResult PerformFuelSwitch(ParameterImage& image, ClsComm& comm);

class DisplayScheduler {
public:
    // The workbench gives the flags (RequestsEnabled, ExitRequested, PendingConfigFile,
    // FuelSwitchRequest ...), the link, the host and the scale configuration.
    DisplayScheduler(Workbench& wb, ParameterImage& image, FirmwareCheck& check);
    DisplayScheduler(const DisplayScheduler&) = delete;
    DisplayScheduler& operator=(const DisplayScheduler&) = delete;

    // ---- what the pages hear ----
    // After a (re)connection or a file load, once blocks 2, 3, 5 and the test memo are read:
    // refresh the configuration page, the model page's points unless it is busy, and apply
    // the injector-mode rule (IstanzaInj).
    Signal<> RefreshedAfterRead;
    // A part of the General page has new values in View().
    Signal<GeneralPart> GeneralRefreshed;
    // S5: the configuration page refreshes itself when it needs to.
    Signal<> ConfigRefreshDue;
    // After each slot's own work, with the slot number 1-6: the model, map and side windows
    // (current point and map point on S2, model data and line on S4, plots and markers and
    // the viewer request on S5).
    Signal<int> SlotRan;
    // S6: CaricaErroriEcu, the ECU error memory read.
    Signal<> ErrorMemoryDue;
    // S1, when the block-5 preparation countdown ends: put the block-5 values to send into
    // Block5Pending before the write.
    Signal<> Block5Preparing;
    // Off-line clean-up of the parts that live elsewhere (the correction table's own is done
    // here: recomputed from the model when its write request asks for that, nothing sent).
    Signal<> OffLineCleanup;

    // ---- what it asks ----
    // "Auto Tuning" (ChkAbilAcqVacum) is ticked.
    Query<bool()> AutoTuningTicked;

    // Listens to the workbench's display tick (Tick), answers its write-pending question
    // and follows the link's closed/off-line step (OnClosedOrOffLine). Listeners connected
    // to the display tick before this (the window's own work) run first.
    void Attach();

    // Pending configuration files: loaded with the fuel switch around them, given up after
    // repeated failures.
    ConfigLoader& Loader() { return loader_; }

    // One display tick, inside the workbench's busy guard: the search window, the identity
    // check until the ECU is accepted, the refresh after the first complete read, the slots.
    void Tick();
    // The communication tick found the link closed (0) or off-line (8).
    void OnClosedOrOffLine(std::uint8_t comState);
    // Counters to their start values (the window's load).
    void InitCounters();
    // Every parameter block to be read again, and the refresh after it.
    void RequestFullRead();

    // A parameter write to the ECU is pending or running ("UPGRADE" in the status bar).
    bool WritePending() const;
    // The ECU's data are still to be read after a (re)connection (the waiting window).
    bool EcuDataToRead() const;
    // The correction-table write is pending ("full write"): holds the periodic reads back.
    bool FullWritePending() const;

    // Slot counters S1-S6 (index 0-5).
    std::array<double, 6> Counters{};
    // S1: counts down to a block-5 write prepared by hooks.prepareBlock5 (10 after a failure).
    double Block5PrepCountdown = 0;
    // S5: counts down to the two sample reads of automatic tuning.
    double AutoTuningCountdown = 0;
    // A refresh after connection or file load is due.
    bool RefreshPending = true;
    // CmbInj's selected index (the window keeps it up to date).
    int SelectedInjector = 0;

    const GeneralView& View() const { return view_; }
    ParametriRow Parametri() const { return ComposeParametriRow(view_); }
    // The speed and the per-cylinder times as shown (the injector window reads them).
    int ShownRpm() const { return shownRpm_; }
    const InjectorDisplayState& ShownInjectors() const { return injectors_; }

private:
    void ConnectionCheck();
    void RefreshAfterRead();
    void RunSlot(int slot);
    void Slot1();
    void Slot2();
    void Slot3();
    void Slot4();
    void Slot5();
    void Slot6();
    void Refresh(GeneralPart part);
    LiveValues Live() const;
    bool EcuHasBlock5() const { return image_.EcuFirmwareVersion() > 132; }
    void ResetLiveDisplay();

    Workbench& wb_;
    ParameterImage& image_;
    FirmwareCheck& check_;
    GeneralView view_;
    int shownRpm_ = 0;
    InjectorDisplayState injectors_;
    ConfigLoader loader_;
    Connection ticked_, writeAnswer_, linkDown_;
};

}  // namespace gw
