// GeneralPresenter: what the General page and the calibration-parameters frame show, as
// functions of the live values: texts, bar values, light states, colours and visibility
// ("0000", "03,45", "C.OFF", "0,000", "- - -", blinking level lights). The smoothing and
// blinking state they need is passed in and out explicitly. When each part is refreshed is
// the display scheduler's business; copying the results to widgets is the window's.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/Colours.h"
#include "link/ComCycle.h"
#include "model/ParameterImage.h"
#include "model/ScaleConfig.h"

namespace gw {

inline constexpr int kInjBarMax = 21;       // injector bars: 21 one-millisecond segments
inline constexpr int kLambdaSegments = 10;  // lambda bar: one lit segment out of ten
inline constexpr int kLevelLights = 4;

// Fixed texts.
inline constexpr const char* kTextCutOff = "C.OFF";
inline constexpr const char* kTextNoPressureSensor = "- - -";
inline constexpr const char* kTextNoGasTime = "00,00";

// The live values the display reads, gathered from the parameter image in one place.
struct LiveValues {
    int rpm = 0;
    bool key = false;
    bool ev1 = false;
    bool ev2 = false;
    bool cutOff = false;
    int fuelState = 0;      // 3 running on gas, 0 petrol
    int fuelSelection = 0;  // 3 gas selected, 0 petrol selected
    int ecuState = 0;       // 0 run, 1 slave
    std::array<double, kInjectors> petrolMs{};
    std::array<double, kInjectors> correctionMs{};  // added to the petrol time on gas
    std::array<int, kInjectors> injMode{};
    int cylinders = 0;
    double pressureMbar = 0;
    double vacuumMbar = 0;
    bool pressureSensor = true;
    bool vacuumAcquisition = false;
    double lambdaV = 0;
    int lambdaType = 0;  // 0: no sensor
    bool lambdaTypeKnown = false;
    std::array<float, LambdaType::kCurvePoints> lambdaCurve{};
    int tempReducer = 0;
    int tempGas = 0;
    double supplyV = 0;
    double levelStatus = 0;  // 65535 valid, 3855 and 255 blinking, 0 no level
    double levelReading = 0;
    std::array<int, kLevelLights> levelThresholds{};  // T1-T4
    bool levelInverted = false;
};

// Where the live values come from in the image:
//   key, EV1, EV2, cut-off: bits 0, 1, 2, 3 of Block1.StatusBits;
//   fuel state Block2.Mode2, fuel selection Block2.Mode, ECU state the link's EcuState;
//   petrol time Block1.InjTimeBnz; the correction is Block1.InjTimeGas minus the petrol time
//   while the ECU reports a gas time, else 0 (so petrol + correction is the gas time);
//   injector modes, cylinders, lambda type, level thresholds and level sensor type from
//   Block3; pressure sensor present when Block3.TypSensMap is a listed type; vacuum acquisition
//   Block2.AbilAcq[0]; level status Block1.SensorRaw, level reading Block1.GasLevelRaw.
// Pressure sensor types: 0 "5 bar", 1 "1 bar", 2 "Abs 4 bar". Each is a fitted sensor; a
// code outside the list means none.
inline constexpr int kPressureSensorTypes = 3;
bool PressureSensorFitted(int typSensMap);
LiveValues GatherLiveValues(const ParameterImage& image, const ScaleConfig& scale, int ecuState);

// ---- engine speed (TxtRpm(0) and TxtRpm(1)) ----
// Smooths the shown speed towards the new one (key on) or zeroes it (key off); returns the
// text: at least four digits, zero-padded.
std::string RefreshEngineSpeed(int& shownRpm, const LiveValues& v);

// ---- injectors ----
struct InjectorDisplayState {
    std::array<double, kInjectors> shownPetrol{};
    std::array<double, kInjectors> shownCorrection{};
};

struct InjectorsView {
    std::array<int, kInjectors> petBar{};  // InjPetBar(i).Valore, whole ms
    std::array<int, kInjectors> gasBar{};  // InjGasBar(i).Valore
    std::array<bool, kInjectors> columnVisible{};
    double avgShownPetrol = 0;
    double avgRawPetrol = 0;
    double avgShownGas = 0;
    double avgRawGas = 0;
    std::string petrolText;  // TxtInjTimePet(0) and (1)
    std::string gasText;     // TxtInjTimeGas(0) and (1)
};

// selector: CmbInj's index (0 the averages, k cylinder k).
InjectorsView RefreshInjectors(InjectorDisplayState& state, const LiveValues& v, int selector);
// CmbInj's entries: "Inj_##", then "Inj_1" ... "Inj_<cylinders>".
std::vector<std::string> InjectorSelectorEntries(int cylinders);
// LblInj(column)'s background: yellow when its cylinder is selected, else the button face.
std::uint32_t InjectorLabelColour(int selector, int column);

// ---- lambda (TxtLambda(0..1), BarLambda and the lambda labels) ----
struct LambdaView {
    bool visible = false;  // both boxes, the labels and the bar
    std::string text;      // "0,000"
    int segment = 0;       // BarLambda.Valore
    std::uint32_t segmentColour = kColLambdaGreen;
};
LambdaView PresentLambda(const LiveValues& v);

// ---- gas level lights (ShpGasLev(0..3)) ----
struct GasLevelState {
    std::array<bool, kLevelLights> lights{};
    bool halfRate = false;  // flips on every refresh; status 255 blinks when it is set
};
void RefreshGasLevel(GasLevelState& state, const LiveValues& v);

// ---- state lights (CkbKey, CkbeV_01, CkbeV_02, CkbStatoAlim, CkbStatoEcu) ----
struct StateLight {
    bool known = false;   // false: the value is neither on nor off, the box is left alone
    bool on = false;      // ticked
    std::string caption;  // empty: the caption is left alone
    std::uint32_t BackColour() const { return on ? kColButtonShadow : kColButtonFace; }
};
struct StateLightsView {
    StateLight key, ev1, ev2, fuel, ecu;
};
StateLightsView PresentStateLights(const LiveValues& v);

// TxtStatusBar(2): "Time: h:mm:ss".
std::string ConnectionTimeText(double seconds);

// ---- pressure and vacuum (TxtPressure(0..1), TxtVacuum, "Auto Tuning") ----
struct PressureView {
    std::string pressureText;
    std::string vacuumText;
    bool vacuumVisible = false;      // TxtVacuum and its label
    bool autoTuningEnabled = false;  // ChkAbilAcqVacum
};
PressureView PresentPressure(const LiveValues& v);
// mbar as bar with three decimals; below 0.01 mbar "0,000".
std::string PressureText(double mbar);

// ---- temperatures and supply (TxtTmpVap(0..1), TxtTmpGas(0..1), TxtSupply) ----
struct TemperaturesView {
    std::string reducerText;
    std::string gasText;
    std::string supplyText;
};
TemperaturesView PresentTemperatures(const LiveValues& v);

// ---- the whole page and the calibration-parameters frame ----
struct GeneralView {
    std::string rpmText = "0000";
    InjectorsView injectors;
    LambdaView lambda;
    GasLevelState level;
    StateLightsView lights;
    std::string timeText = "Time: 0:00:00";
    PressureView pressure;
    TemperaturesView temperatures;
};

// FrmParametri's single row: the index-1 boxes of the General page's values.
struct ParametriRow {
    std::string rpm, vacuum, pressure, injPetrol, injGas, lambda, tmpVap, tmpGas;
    bool vacuumVisible = false;
    bool lambdaVisible = false;
};
ParametriRow ComposeParametriRow(const GeneralView& view);

// A click on a logo picture asks for the fuel switch when none is pending and the key is on.
bool LogoAsksFuelSwitch(std::uint8_t fuelSwitchRequest, bool keyOn);

}  // namespace gw
