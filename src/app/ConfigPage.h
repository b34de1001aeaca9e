// ConfigPageLogic: everything the Configuration page knows without a window: its drop-down
// lists (filled from "\LNG\ConfigScale.ini" or built in), which entry each shows for the
// parameter image's read copy, and what a choice puts into the write copy and which block
// countdown it sets. The window shows the lists, forwards the user's choices to the Click
// handlers and opens the side windows it is asked to; it holds no rule of its own.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "app/ConfigPageLists.h"
#include "app/MainCaptions.h"
#include "model/ParameterImage.h"
#include "model/ScaleConfig.h"
#include "util/Host.h"
#include "util/Signal.h"

namespace gw {

// The side windows the page opens.
enum class SideWindow { InjSet, LevelSetting, Expert };

// Where the page asks the window to move the focus.
enum class ConfigFocus { None, CmdTpyInj };

// The page's texts from the dictionary (current language), with the designed texts as
// fallbacks when the dictionary has no such entry.
struct ConfigPageTexts {
    std::string FrmSwitch = "Switching to gas";
    std::string LblSwtchRpm = "R.P.M.";  // also FrmRPM
    std::string LblSwtchTemp = "Temperature (\xC2\xB0" "c)";
    std::string LblSwtchDelay = "Temper.delay (s)";
    std::string LblSwtchForce = "Force Swicth (s)";
    std::string LblSwtchSeq = "Sequence delay (ms)";
    std::string FrmTyp = "Injectors";
    std::string LblTypFuel = "Fuel";
    std::string OptTypFuelLpg = "Lpg";
    std::string OptTypFuelCng = "Cng";
    std::string LblSwtchCilindri = "Num. Cylinder";
    std::string LblSwtchBobine = "Coil";
    std::string FrmSensor = "Sensor level";
    std::string LblTypName = "Gas level sensor";  // LblTypGLS and LblTypInj
    std::string LblEmptyGas = "Empty Gas";
    std::string LblSwtchPres = "Pressure (Bar)";
    std::string LblSwtchPressDelay = "Delay (s)";
    std::string CmdTpyGLS = "Set Level";
    std::string CmdTpyInj = "Setting";
    std::string FrmOption = "Option";
    std::string LblSwtchLdb = "Lambda sensor";
    std::string CmdReserVar = "Reset All";
    // Messages held by the page (the expert window uses the last three too).
    std::string MsgOff = "Disabled";        // message 27: Empty Gas index 0, no lambda sensor
    std::string MsgOnEmptyGas = "Enabled";  // message T+59: Empty Gas index 1
    std::string MsgAreYouSure = "Are you sure?";  // message 41: injector type question
    std::string MsgOn = "Enabled";          // message 39: Safety car index 1 (expert window)
    std::string MsgSemiSequentialRefused = "This setting can only be changed with the ignition key off.";  // 26

    static ConfigPageTexts Read(const MainCaptions& c);
};

class ConfigPageLogic {
public:
    ConfigPageLogic(Host& host, ParameterImage& image, ScaleConfig& scale, std::string appFolder);

    // ---- what the window shows ----
    std::array<ComboList, kConfigListCount> lists;
    ComboList& List(ConfigList l) { return lists[static_cast<std::size_t>(l)]; }
    const ComboList& List(ConfigList l) const { return lists[static_cast<std::size_t>(l)]; }
    // OptTypFuel: 0 "Lpg", 1 "Cng", -1 neither.
    int OptTypFuel = -1;
    // The General page's injector columns (InjGasBar(i), InjPetBar(i), LblInj(i)) and its
    // injector selector CmbInj ("Inj_##" = the averages, then "Inj_1" ...).
    std::array<bool, kInjectors> InjColumnVisible{};
    ComboList CmbInj;
    // LblInj(i) is highlighted when i is this (the cylinder selected in CmbInj); -1: none.
    int HighlightedInjLabel() const { return CmbInj.selected - 1; }
    ConfigPageTexts Texts;

    // Controls are being filled by code: every Click handler returns at once while set.
    // The window sets the widgets from the lists under it (or with their signals blocked).
    bool UpdatingControls = false;
    // The page's refresh request (the display scheduler's S5 slot refreshes when set).
    bool RefreshRequested = false;

    // Temperature-delay tables read by RiempiCmbSwtch: the threshold, the table used at or
    // above it and the one used below it (entry texts as they stand).
    double DelayThreshold = 40;
    std::vector<std::string> DelayTableHigh, DelayTableLow;

    // ---- what the window provides ----
    std::string AppTitle;
    // The window's pending configuration file (Workbench::PendingConfigFile): "Reset All"
    // puts "\LNG\Default.Xar" there and the display timer loads it (CaricaConfigurazione).
    std::string* PendingConfigFile = nullptr;
    // Opens a side window non-modal ("Setting", "Set Level", "Expert").
    Signal<SideWindow> OpenSideWindow;
    // After IstanzaInj changed the General page's columns and CmbInj.
    Signal<int /*cylinders*/> InjectorsInstanced;
    // After the lists, selections or enabled states changed (fill, refresh, a handler).
    Signal<> PageChanged;

    // ---- fill and refresh ----
    // The page's texts in the current language; call before RiempiCmbSwtch.
    void ApplyTexts(const MainCaptions& captions);
    // Fills every list of the page (at load and after a language change); writes nothing.
    void RiempiCmbSwtch();
    // Refills CmbSwtchDelay for the selected switch-over temperature, selecting the stored
    // temperature delay.
    void RiempiCmbSwtchDelay();
    // The cylinder counts the ECU's hardware offers (from its production-test memo).
    void RiempiCmbSwtchCilindri();
    // Shows General page columns 0 ... cylinders-1, hides the others, refills CmbInj.
    void IstanzaInj(int cylinders);
    // Selects every list and option from the read copy (refills the cylinder and
    // temperature-delay lists, shows the injector columns); clears RefreshRequested.
    void AggiornaPaginaConfig();
    // The display timer's refresh (S5): when asked for, or when block 3 changed in the ECU
    // and no choice of the user is still on its way to it (the page would show the old value
    // until the read-back). True when the page was refreshed.
    bool RefreshIfDue();
    // After a complete read following connection or file load: injectors beyond the
    // cylinder count to mode 0, the first injector on at least mode 1; block 3 marked
    // changed when anything changed. Returns whether it did.
    bool ApplyInjectorModeRule();

    // ---- the user's choices (ignored while UpdatingControls is set; choosing the entry
    // already selected does nothing) ----
    void CmbSwtchRpm_Click(int index);
    void CmbSwtchTemp_Click(int index);
    void CmbSwtchDelay_Click(int index);
    void CmbSwtchForce_Click(int index);
    void CmbSwtchSeq_Click(int index);
    void CmbEmptyGas_Click(int index);
    void CmbSwtchBar_Click(int index);
    void CmbSwtchDelayPress_Click(int index);
    void CmbSwtchLambdaType_Click(int index);
    void CmbSwtchCilindri_Click(int index);
    void CmbSwtchBobine_Click(int index);
    void CmbTpyInj_Click(int index);  // asks Yes/No first
    void CmbTpyGLS_Click(int index);
    void OptTypFuel_Click(int index);  // 0 "Lpg", 1 "Cng"
    // The same by list (the window binds every list to this).
    void Click(ConfigList list, int index);
    // The General page's injector selector.
    void CmbInj_Click(int index);
    void CmdTpyInj_Click();    // "Setting": the injector window
    void CmdTpyGLS_Click();    // "Set Level": the level window
    void CmdExpert_Click();    // "Expert": the expert window
    // "Reset All": when no configuration file is pending, makes "\LNG\Default.Xar" the
    // pending one. Returns whether it did.
    bool CmdReserVar_Click();

    // Where the last handler asked the focus to go; cleared by reading it.
    ConfigFocus TakeFocusRequest();

    // The fuel type is the block 3 byte at offset 7.
    static int& FuelTypeField(Block3Record& r) { return r.TpyInj2; }
    static int FuelTypeField(const Block3Record& r) { return r.TpyInj2; }

private:
    void FillLists(const std::vector<std::string>* lines);
    void SelectFromImage();
    void SelectInjType(int code);
    // Takes a click on a list: false when it must be ignored (updating, out of range, the
    // entry already selected); otherwise selects it.
    bool TakeClick(ConfigList list, int index);
    void MarkBlock3() { image_.Block3WriteRequest = 1; }
    void MarkBlock5() { image_.Block5WriteRequest = 1; }
    void Changed();

    Host& host_;
    ParameterImage& image_;
    ScaleConfig& scale_;
    std::string appFolder_;
    ConfigFocus focus_ = ConfigFocus::None;
};

}  // namespace gw
