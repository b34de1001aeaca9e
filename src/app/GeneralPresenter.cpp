// GeneralPresenter: the display rules of the General page and the calibration-parameters
// frame.
#include "app/GeneralPresenter.h"

#include <algorithm>
#include <cmath>

#include "util/Numbers.h"

namespace gw {

namespace {

std::size_t At(int i) { return static_cast<std::size_t>(i); }

int ClampCylinders(int n) { return std::clamp(n, 0, kInjectors); }

bool GasMode(int mode) { return mode == 3 || mode == 4; }

// Whole milliseconds for a bar (nearest, ties to even), kept inside the bar's 16-bit value.
int BarValue(double ms) {
    if (!std::isfinite(ms)) return 0;
    return static_cast<int>(std::nearbyint(std::clamp(ms, -32768.0, 32767.0)));
}

std::string InjTimeText(double ms) { return FormatFixed(ms, 2, 2); }

}  // namespace

bool PressureSensorFitted(int typSensMap) { return typSensMap >= 0 && typSensMap < kPressureSensorTypes; }

LiveValues GatherLiveValues(const ParameterImage& image, const ScaleConfig& scale, int ecuState) {
    LiveValues v;
    const Block1Record& b1 = image.Block1;
    const Block2Record& b2 = image.Block2;
    const Block3Record& b3 = image.Block3;
    v.rpm = b1.Rpm;
    v.key = (b1.StatusBits & 0x01) != 0;
    v.ev1 = (b1.StatusBits & 0x02) != 0;
    v.ev2 = (b1.StatusBits & 0x04) != 0;
    v.cutOff = (b1.StatusBits & 0x08) != 0;
    v.fuelState = b2.Mode2;
    v.fuelSelection = b2.Mode;
    v.ecuState = ecuState;
    for (std::size_t i = 0; i < kInjectors; ++i) {
        v.petrolMs[i] = b1.InjTimeBnz[i];
        v.correctionMs[i] = b1.InjTimeGas[i] > 0 ? b1.InjTimeGas[i] - b1.InjTimeBnz[i] : 0;
        v.injMode[i] = b3.InjMode[i];
    }
    v.cylinders = b3.Cylinders;
    v.pressureMbar = b1.Pressure;
    v.vacuumMbar = b1.Vacuum;
    v.pressureSensor = PressureSensorFitted(b3.TypSensMap);
    v.vacuumAcquisition = b2.AbilAcq[0] == 1;
    v.lambdaV = b1.LambdaV;
    v.lambdaType = b3.SwtchLambdaType;
    const int lambda = FindLambdaType(scale, b3.SwtchLambdaType);
    if (lambda >= 0) {
        v.lambdaTypeKnown = true;
        v.lambdaCurve = scale.LambdaTypes[At(lambda)].Curve;
    }
    v.tempReducer = b1.TempReducer;
    v.tempGas = b1.TempGas;
    v.supplyV = b1.SupplyV;
    v.levelStatus = b1.SensorRaw;
    v.levelReading = b1.GasLevelRaw;
    for (std::size_t k = 0; k < kLevelLights; ++k) v.levelThresholds[k] = b3.Level[k];
    const int level = FindGasLevelType(scale, b3.TpyGLS);
    v.levelInverted = level >= 0 && scale.GasLevelTypes[At(level)].Inverted();
    return v;
}

std::string RefreshEngineSpeed(int& shownRpm, const LiveValues& v) {
    if (!v.key) {
        shownRpm = 0;
        return "0000";
    }
    shownRpm = static_cast<int>(std::nearbyint((static_cast<double>(v.rpm) + shownRpm) / 2.0));
    std::string digits = std::to_string(std::max(shownRpm, 0));
    // Four digits at least; a longer number is shown whole rather than cut to its last four.
    if (digits.size() < 4) digits.insert(0, 4 - digits.size(), '0');
    return digits;
}

InjectorsView RefreshInjectors(InjectorDisplayState& state, const LiveValues& v, int selector) {
    InjectorsView out;
    const int cyl = ClampCylinders(v.cylinders);
    const bool onGas = v.fuelSelection == 3;
    for (std::size_t i = 0; i < kInjectors; ++i) {
        state.shownPetrol[i] = (v.petrolMs[i] + state.shownPetrol[i]) / 2;
        state.shownCorrection[i] = (v.correctionMs[i] + state.shownCorrection[i]) / 2;
        out.columnVisible[i] = static_cast<int>(i) < cyl;
        if (v.key) {
            out.petBar[i] = BarValue(state.shownPetrol[i]);
            const int mode = v.injMode[i];
            out.gasBar[i] = mode >= 2 && mode <= 4 ? BarValue(state.shownPetrol[i] + state.shownCorrection[i]) : 0;
        }
    }
    if (v.key && cyl > 0) {
        double shownPet = 0, rawPet = 0, shownGas = 0, rawGas = 0;
        int gasCount = 0;
        for (std::size_t i = 0; i < At(cyl); ++i) {
            shownPet += state.shownPetrol[i];
            rawPet += v.petrolMs[i];
            if (onGas && GasMode(v.injMode[i])) {
                shownGas += state.shownPetrol[i] + state.shownCorrection[i];
                rawGas += v.petrolMs[i] + v.correctionMs[i];
                ++gasCount;
            }
        }
        out.avgShownPetrol = shownPet / cyl;
        out.avgRawPetrol = rawPet / cyl;
        if (gasCount > 0) {
            out.avgShownGas = shownGas / gasCount;
            out.avgRawGas = rawGas / gasCount;
        }
    }
    if (v.cutOff) {
        out.petrolText = out.gasText = kTextCutOff;
    } else if (selector >= 1 && selector <= kInjectors) {
        const std::size_t i = At(selector - 1);
        out.petrolText = InjTimeText(state.shownPetrol[i]);
        out.gasText = onGas && GasMode(v.injMode[i]) ? InjTimeText(state.shownPetrol[i] + state.shownCorrection[i])
                                                     : std::string(kTextNoGasTime);
    } else {
        out.petrolText = InjTimeText(out.avgShownPetrol);
        out.gasText = InjTimeText(out.avgShownGas);
    }
    return out;
}

std::vector<std::string> InjectorSelectorEntries(int cylinders) {
    std::vector<std::string> entries{"Inj_##"};
    for (int k = 1; k <= ClampCylinders(cylinders); ++k) entries.push_back("Inj_" + std::to_string(k));
    return entries;
}

std::uint32_t InjectorLabelColour(int selector, int column) {
    return selector == column + 1 ? kColYellow : kColButtonFace;
}

LambdaView PresentLambda(const LiveValues& v) {
    LambdaView out;
    if (v.lambdaType == 0) return out;
    out.visible = true;
    out.text = FormatFixed(v.lambdaV, 3, 1);
    if (v.lambdaTypeKnown) {
        const auto& c = v.lambdaCurve;
        const double first = c[0], last = c[kLambdaSegments], x = v.lambdaV;
        const bool rising = last >= first;
        int seg = -1;
        for (int k = 0; k < kLambdaSegments && seg < 0; ++k) {
            const double a = c[At(k)], b = c[At(k + 1)];
            const double lo = std::min(a, b), hi = std::max(a, b);
            const bool lastOne = k == kLambdaSegments - 1;
            if (x >= lo && (x < hi || (lastOne && x <= hi)) && lo < hi) seg = k;
        }
        if (seg < 0) {
            // Outside the thresholds: the end on the voltage's side.
            const bool beyondLast = rising ? x > last : x < last;
            seg = first == last || !beyondLast ? 0 : kLambdaSegments - 1;
        }
        out.segment = seg;
    }
    out.segmentColour = out.segment < kLambdaSegments / 2 ? kColLambdaGreen : kColLambdaRed;
    return out;
}

void RefreshGasLevel(GasLevelState& state, const LiveValues& v) {
    auto& l = state.lights;
    state.halfRate = !state.halfRate;
    const double status = v.levelStatus;
    if (status == 65535) {
        const double r = v.levelReading;
        const auto& t = v.levelThresholds;
        if (!v.levelInverted) {
            l[0] = r > t[0] ? true : !l[0];
            l[1] = r > t[1];
            l[2] = r > t[2];
            l[3] = r > t[3];
        } else {
            l[0] = r < t[3] ? true : !l[0];
            l[1] = r < t[2];
            l[2] = r < t[1];
            l[3] = r < t[0];
        }
    } else if (status == 3855 || (status == 255 && state.halfRate)) {
        l[0] = !l[0];
        l[1] = l[2] = l[3] = l[0];
    } else if (status == 0) {
        l.fill(false);
    }
}

StateLightsView PresentStateLights(const LiveValues& v) {
    StateLightsView out;
    auto twoState = [](StateLight& light, int value, int onValue, int offValue, const char* onText,
                       const char* offText) {
        if (value != onValue && value != offValue) return;
        light.known = true;
        light.on = value == onValue;
        if (onText) light.caption = light.on ? onText : offText;
    };
    twoState(out.key, v.key ? 1 : 0, 1, 0, nullptr, nullptr);
    twoState(out.ev1, v.ev1 ? 1 : 0, 1, 0, nullptr, nullptr);
    twoState(out.ev2, v.ev2 ? 1 : 0, 1, 0, nullptr, nullptr);
    twoState(out.fuel, v.fuelState, 3, 0, "GAS", "BNZ");
    twoState(out.ecu, v.ecuState, 0, 1, "RUN", "SLV");
    return out;
}

std::string ConnectionTimeText(double seconds) {
    const long s = std::isfinite(seconds) && seconds > 0 ? static_cast<long>(seconds) : 0;
    auto two = [](long n) { return (n < 10 ? "0" : "") + std::to_string(n); };
    return "Time: " + std::to_string(s / 3600) + ":" + two((s / 60) % 60) + ":" + two(s % 60);
}

std::string PressureText(double mbar) {
    if (!(mbar >= 0.01)) return FormatFixed(0, 3, 1);
    return FormatFixed(mbar / 1000, 3, 1);
}

PressureView PresentPressure(const LiveValues& v) {
    PressureView out;
    out.pressureText = v.pressureSensor ? PressureText(v.pressureMbar) : std::string(kTextNoPressureSensor);
    out.vacuumText = PressureText(v.vacuumMbar);
    out.vacuumVisible = v.vacuumAcquisition;
    out.autoTuningEnabled = v.vacuumAcquisition;
    return out;
}

TemperaturesView PresentTemperatures(const LiveValues& v) {
    TemperaturesView out;
    out.reducerText = std::to_string(v.tempReducer);
    out.gasText = std::to_string(v.tempGas);
    out.supplyText = FormatFixed(v.supplyV < 1 ? 0 : v.supplyV, 1, 1);
    return out;
}

ParametriRow ComposeParametriRow(const GeneralView& view) {
    ParametriRow row;
    row.rpm = view.rpmText;
    row.vacuum = view.pressure.vacuumText;
    row.pressure = view.pressure.pressureText;
    row.injPetrol = view.injectors.petrolText;
    row.injGas = view.injectors.gasText;
    row.lambda = view.lambda.text;
    row.tmpVap = view.temperatures.reducerText;
    row.tmpGas = view.temperatures.gasText;
    row.vacuumVisible = view.pressure.vacuumVisible;
    row.lambdaVisible = view.lambda.visible;
    return row;
}

bool LogoAsksFuelSwitch(std::uint8_t fuelSwitchRequest, bool keyOn) { return fuelSwitchRequest == 0 && keyOn; }

}  // namespace gw
