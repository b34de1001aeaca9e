// What the General page and the calibration-parameters frame show for given live values:
// speed, injector bars and times (key off, cut-off, modes), pressure and vacuum, lambda,
// level lights and their two blink rates, state lights, time and temperatures.
#include <gtest/gtest.h>

#include "app/GeneralPresenter.h"

using namespace gw;

namespace {

LiveValues Running(int cylinders = 4) {
    LiveValues v;
    v.key = true;
    v.rpm = 800;
    v.cylinders = cylinders;
    v.fuelSelection = 3;
    v.fuelState = 3;
    for (int i = 0; i < cylinders; ++i) {
        const auto k = static_cast<std::size_t>(i);
        v.petrolMs[k] = 3.0;
        v.correctionMs[k] = 1.0;
        v.injMode[k] = 3;
    }
    return v;
}

// Runs the smoothing until the shown values have settled on the raw ones.
InjectorsView Settled(const LiveValues& v, int selector, InjectorDisplayState& s) {
    InjectorsView out;
    for (int i = 0; i < 60; ++i) out = RefreshInjectors(s, v, selector);
    return out;
}

}  // namespace

TEST(GeneralPresenter, EngineSpeedSmoothsWhileTheKeyIsOnAndShowsFourDigits) {
    struct Case {
        bool key;
        int rpm, shownBefore;
        int shownAfter;
        const char* text;
    } cases[] = {
        {true, 800, 0, 400, "0400"},
        {true, 801, 0, 400, "0400"},     // 400.5: half to even
        {true, 803, 0, 402, "0402"},     // 401.5: half to even
        {true, 7, 0, 4, "0004"},
        {true, 9000, 9000, 9000, "9000"},
        {true, 12000, 12000, 12000, "12000"},  // five digits are shown whole
        {false, 3000, 2500, 0, "0000"},  // key off
    };
    for (const auto& c : cases) {
        LiveValues v;
        v.key = c.key;
        v.rpm = c.rpm;
        int shown = c.shownBefore;
        EXPECT_EQ(RefreshEngineSpeed(shown, v), c.text) << c.rpm;
        EXPECT_EQ(shown, c.shownAfter) << c.rpm;
    }
}

TEST(GeneralPresenter, InjectorBarsFollowKeyAndModeAndColumnsFollowCylinders) {
    LiveValues v = Running(4);
    v.injMode = {3, 4, 2, 1, 0, 0, 0, 0};  // mode 1 shows the petrol bar only
    v.petrolMs[4] = 5;                      // beyond the cylinders in use
    InjectorDisplayState s;
    InjectorsView out = Settled(v, 0, s);
    EXPECT_EQ(out.petBar, (std::array<int, 8>{3, 3, 3, 3, 5, 0, 0, 0}));
    EXPECT_EQ(out.gasBar, (std::array<int, 8>{4, 4, 4, 0, 0, 0, 0, 0}));
    EXPECT_EQ(out.columnVisible, (std::array<bool, 8>{true, true, true, true, false, false, false, false}));

    // One refresh halves the way to the new value.
    InjectorDisplayState fresh;
    out = RefreshInjectors(fresh, v, 0);
    EXPECT_DOUBLE_EQ(fresh.shownPetrol[0], 1.5);
    EXPECT_EQ(out.petBar[0], 2);  // 1.5 ms: half to even

    v.key = false;
    out = RefreshInjectors(s, v, 0);
    EXPECT_EQ(out.petBar, (std::array<int, 8>{}));
    EXPECT_EQ(out.gasBar, (std::array<int, 8>{}));
    EXPECT_EQ(out.avgShownPetrol, 0);
    EXPECT_EQ(out.avgRawGas, 0);
    EXPECT_EQ(out.petrolText, "00,00");
    EXPECT_EQ(out.gasText, "00,00");
}

TEST(GeneralPresenter, InjectorTimeTextsBySelectorFuelModeAndCutOff) {
    struct Case {
        int selector;
        int fuelSelection;
        bool cutOff;
        const char* petrol;
        const char* gas;
    } cases[] = {
        {0, 3, false, "03,75", "05,00"},  // averages: gas over injectors in mode 3 or 4 only
        {1, 3, false, "03,00", "04,00"},
        {2, 3, false, "03,00", "06,00"},
        {3, 3, false, "03,00", "00,00"},  // mode 2 has no gas time shown
        {4, 3, false, "06,00", "00,00"},  // mode 0
        {1, 0, false, "03,00", "00,00"},  // petrol selected
        {0, 0, false, "03,75", "00,00"},
        {0, 3, true, "C.OFF", "C.OFF"},
        {2, 3, true, "C.OFF", "C.OFF"},
        {9, 3, false, "03,75", "05,00"},  // out of range: the averages
    };
    for (const auto& c : cases) {
        LiveValues v = Running(4);
        v.injMode = {3, 4, 2, 0, 0, 0, 0, 0};
        v.correctionMs[1] = 3.0;
        v.petrolMs[3] = 6.0;
        v.fuelSelection = c.fuelSelection;
        v.cutOff = c.cutOff;
        InjectorDisplayState s;
        const InjectorsView out = Settled(v, c.selector, s);
        EXPECT_EQ(out.petrolText, c.petrol) << c.selector << " " << c.fuelSelection;
        EXPECT_EQ(out.gasText, c.gas) << c.selector << " " << c.fuelSelection;
        if (c.cutOff) {
            EXPECT_EQ(out.petBar[0], 3);  // the bars keep moving
        }
    }
}

TEST(GeneralPresenter, InjectorSelectorEntriesAndHighlight) {
    EXPECT_EQ(InjectorSelectorEntries(3), (std::vector<std::string>{"Inj_##", "Inj_1", "Inj_2", "Inj_3"}));
    EXPECT_EQ(InjectorSelectorEntries(0), (std::vector<std::string>{"Inj_##"}));
    EXPECT_EQ(InjectorSelectorEntries(12).size(), 9u);
    EXPECT_EQ(InjectorLabelColour(2, 1), kColYellow);
    EXPECT_EQ(InjectorLabelColour(0, 0), kColButtonFace);
}

TEST(GeneralPresenter, PressureVacuumAndAutoTuning) {
    struct Case {
        bool sensor;
        double pressure;
        bool acquisition;
        double vacuum;
        const char* pressureText;
        const char* vacuumText;
    } cases[] = {
        {true, 1250, true, 400, "1,250", "0,400"},
        {true, 0.005, true, 0, "0,000", "0,000"},
        {true, 0.01, true, 12, "0,000", "0,012"},  // 0.00001 bar at three decimals
        {true, 3500, false, 700, "3,500", "0,700"},
        {false, 1250, true, 400, "- - -", "0,400"},
    };
    for (const auto& c : cases) {
        LiveValues v;
        v.pressureSensor = c.sensor;
        v.pressureMbar = c.pressure;
        v.vacuumAcquisition = c.acquisition;
        v.vacuumMbar = c.vacuum;
        const PressureView out = PresentPressure(v);
        EXPECT_EQ(out.pressureText, c.pressureText) << c.pressure;
        EXPECT_EQ(out.vacuumText, c.vacuumText) << c.vacuum;
        EXPECT_EQ(out.vacuumVisible, c.acquisition);
        EXPECT_EQ(out.autoTuningEnabled, c.acquisition);
    }
}

TEST(GeneralPresenter, EveryListedMapSensorTypeIsAFittedSensor) {
    // 0 is the 5-bar sensor, not "no sensor".
    for (int type : {0, 1, 2}) EXPECT_TRUE(PressureSensorFitted(type)) << type;
    for (int type : {-1, 3, 255}) EXPECT_FALSE(PressureSensorFitted(type)) << type;
}

TEST(GeneralPresenter, LambdaSegmentColourAndVisibility) {
    struct Case {
        int type;
        float first, last;
        double volts;
        bool visible;
        const char* text;
        int segment;
        std::uint32_t colour;
    } cases[] = {
        {0, 0.0f, 1.0f, 0.45, false, "", 0, kColLambdaGreen},  // no sensor: all hidden
        {1, 0.0f, 1.0f, 0.05, true, "0,050", 0, kColLambdaGreen},
        {1, 0.0f, 1.0f, 0.45, true, "0,450", 4, kColLambdaGreen},
        {1, 0.0f, 1.0f, 0.55, true, "0,550", 5, kColLambdaRed},
        {1, 0.0f, 1.0f, 1.0, true, "1,000", 9, kColLambdaRed},   // the last threshold itself
        {1, 0.0f, 1.0f, 1.7, true, "1,700", 9, kColLambdaRed},   // above every threshold
        {1, 0.2f, 1.0f, 0.1, true, "0,100", 0, kColLambdaGreen}, // below every threshold
        {1, 4.0f, 1.0f, 3.8, true, "3,800", 0, kColLambdaGreen}, // falling curve
        {1, 4.0f, 1.0f, 1.2, true, "1,200", 9, kColLambdaRed},
        {1, 4.0f, 1.0f, 0.5, true, "0,500", 9, kColLambdaRed},
        {1, 4.0f, 1.0f, 4.5, true, "4,500", 0, kColLambdaGreen},
    };
    for (const auto& c : cases) {
        LiveValues v;
        v.lambdaType = c.type;
        v.lambdaTypeKnown = c.type != 0;
        for (int k = 0; k <= 10; ++k)
            v.lambdaCurve[static_cast<std::size_t>(k)] = c.first + k * (c.last - c.first) / 10;
        v.lambdaV = c.volts;
        const LambdaView out = PresentLambda(v);
        EXPECT_EQ(out.visible, c.visible) << c.volts;
        EXPECT_EQ(out.text, c.text) << c.volts;
        EXPECT_EQ(out.segment, c.segment) << c.volts;
        EXPECT_EQ(out.segmentColour, c.colour) << c.volts;
    }
}

TEST(GeneralPresenter, LevelLightsAgainstThresholdsDirectAndInverted) {
    struct Case {
        bool inverted;
        double reading;
        std::array<bool, 4> lights;  // after two refreshes (light 0 blinks when low)
        bool blinks;
    } cases[] = {
        {false, 900, {true, true, true, true}, false},
        {false, 500, {true, true, false, false}, false},
        {false, 150, {false, false, false, false}, true},
        {true, 150, {true, true, true, true}, false},
        {true, 500, {true, true, false, false}, false},
        {true, 900, {false, false, false, false}, true},
    };
    for (const auto& c : cases) {
        LiveValues v;
        v.levelStatus = 65535;
        v.levelThresholds = {200, 400, 600, 800};
        v.levelInverted = c.inverted;
        v.levelReading = c.reading;
        GasLevelState s;
        RefreshGasLevel(s, v);
        const bool first0 = s.lights[0];
        RefreshGasLevel(s, v);
        EXPECT_EQ(s.lights, c.lights) << c.reading << (c.inverted ? " inverted" : "");
        EXPECT_EQ(first0 != s.lights[0], c.blinks) << c.reading;
    }
}

TEST(GeneralPresenter, LevelStatus255BlinksAtHalfTheRateOf3855AndZeroClears) {
    auto pattern = [](double status) {
        LiveValues v;
        v.levelStatus = status;
        GasLevelState s;
        std::string p;
        for (int i = 0; i < 8; ++i) {
            RefreshGasLevel(s, v);
            EXPECT_TRUE(s.lights[1] == s.lights[0] && s.lights[3] == s.lights[0]);
            p += s.lights[0] ? '1' : '0';
        }
        return p;
    };
    EXPECT_EQ(pattern(3855), "10101010");
    EXPECT_EQ(pattern(255), "11001100");

    LiveValues v;
    GasLevelState s;
    s.lights = {true, true, false, true};
    v.levelStatus = 77;  // any other status leaves the lights
    RefreshGasLevel(s, v);
    EXPECT_EQ(s.lights, (std::array<bool, 4>{true, true, false, true}));
    v.levelStatus = 0;
    RefreshGasLevel(s, v);
    EXPECT_EQ(s.lights, (std::array<bool, 4>{}));
}

TEST(GeneralPresenter, StateLightsCaptionsColoursAndUnknownValues) {
    LiveValues v;
    v.key = true;
    v.ev1 = false;
    v.ev2 = true;
    v.fuelState = 3;
    v.ecuState = 1;
    StateLightsView out = PresentStateLights(v);
    EXPECT_TRUE(out.key.known && out.key.on);
    EXPECT_EQ(out.key.caption, "");
    EXPECT_EQ(out.key.BackColour(), kColButtonShadow);
    EXPECT_TRUE(out.ev1.known && !out.ev1.on);
    EXPECT_EQ(out.ev1.BackColour(), kColButtonFace);
    EXPECT_TRUE(out.ev2.on);
    EXPECT_TRUE(out.fuel.on);
    EXPECT_EQ(out.fuel.caption, "GAS");
    EXPECT_FALSE(out.ecu.on);
    EXPECT_EQ(out.ecu.caption, "SLV");

    v.fuelState = 0;
    v.ecuState = 0;
    out = PresentStateLights(v);
    EXPECT_EQ(out.fuel.caption, "BNZ");
    EXPECT_EQ(out.ecu.caption, "RUN");
    EXPECT_TRUE(out.ecu.on);

    // Neither on nor off: the box is left as it is.
    v.fuelState = 1;
    v.ecuState = 2;
    out = PresentStateLights(v);
    EXPECT_FALSE(out.fuel.known);
    EXPECT_FALSE(out.ecu.known);
}

TEST(GeneralPresenter, TimeTemperaturesSupplyAndTheParametersRow) {
    EXPECT_EQ(ConnectionTimeText(0), "Time: 0:00:00");
    EXPECT_EQ(ConnectionTimeText(3725.9), "Time: 1:02:05");
    EXPECT_EQ(ConnectionTimeText(-5), "Time: 0:00:00");

    LiveValues v;
    v.tempReducer = 75;
    v.tempGas = -3;
    v.supplyV = 14.06;
    TemperaturesView t = PresentTemperatures(v);
    EXPECT_EQ(t.reducerText, "75");
    EXPECT_EQ(t.gasText, "-3");
    EXPECT_EQ(t.supplyText, "14,0");  // decimals are cut, not rounded
    v.supplyV = 0.7;
    EXPECT_EQ(PresentTemperatures(v).supplyText, "0,0");

    GeneralView view;
    view.rpmText = "0850";
    view.injectors.petrolText = "03,10";
    view.injectors.gasText = "C.OFF";
    view.pressure = {"1,250", "0,400", false, false};
    view.lambda = {true, "0,450", 4, kColLambdaGreen};
    view.temperatures = {"75", "20", "14,1"};
    const ParametriRow row = ComposeParametriRow(view);
    EXPECT_EQ(row.rpm, "0850");
    EXPECT_EQ(row.injGas, "C.OFF");
    EXPECT_EQ(row.pressure, "1,250");
    EXPECT_EQ(row.vacuum, "0,400");
    EXPECT_FALSE(row.vacuumVisible);
    EXPECT_TRUE(row.lambdaVisible);
    EXPECT_EQ(row.tmpVap, "75");
    EXPECT_EQ(row.tmpGas, "20");

    EXPECT_TRUE(LogoAsksFuelSwitch(0, true));
    EXPECT_FALSE(LogoAsksFuelSwitch(1, true));
    EXPECT_FALSE(LogoAsksFuelSwitch(0, false));
}
