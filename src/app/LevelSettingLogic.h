// LevelSettingLogic: what the gas level sensor window shows and does, without any widget:
// the four threshold rows (scroll bar over the sensor's raw range, volts text, unit, light),
// the present sensor voltage, lights that follow the live reading and blink below the first
// threshold, the "Default" thresholds of the sensor type, and closing on Esc. Thresholds go
// to the parameter image's write copy with the block-3 countdown. The Qt window only copies
// this state to its widgets and forwards the user's actions.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "lang/ClsLingue.h"
#include "model/ParameterImage.h"
#include "model/ScaleConfig.h"
#include "util/Host.h"
#include "util/Signal.h"

namespace gw {

// One threshold row (HScrLevel(i), TxtLevel(i), ShpLevAct(i), LblMisura(i), LblLevel(i)).
// Rows read from empty (row 0, "1/4") to full (row 3, "4/4"); the window lays row 3 out on
// top. A direct sensor's row i holds threshold T(i+1), an inverted sensor's T(4-i).
struct LevelRow {
    std::string caption;    // LblLevel(i): "1/4" ... "4/4"
    std::string unit;       // LblMisura(i): the type's unit text
    int value = 0;          // HScrLevel(i), raw count
    std::string voltsText;  // TxtLevel(i)
    bool lit = false;       // ShpLevAct(i) showing
    bool blinking = false;  // light 0 while the reading is below the first threshold
};

struct LevelTexts {
    std::string caption;      // window caption: "<caption> - <sensor type>"
    std::string lblGasLevel;  // LblGasLevel
    std::string cmdDefault;   // CmdDefaultLevel
    std::string lblSensVolt{"V"};  // LblSensVolt
};

class LevelSettingLogic {
public:
    static constexpr int kRows = 4;
    static constexpr int kScrollMin = 0, kScrollSmallStep = 16, kScrollLargeStep = 100;
    static constexpr int kRefreshMs = 500;
    static constexpr double kWriteDelay = 4;   // block-3 countdown after a threshold change
    static constexpr int kKeyEscape = 27;
    static constexpr double kLoadPauseUs = 100000;
    static constexpr std::uint32_t kLightColour = 0x00FF00;  // &HBBGGRR: green

    // configScalePath: "\LNG\ConfigScale.ini" under the application folder, re-read by
    // "Default"; appTitle titles its error reports. lingue may be null (built-in texts).
    LevelSettingLogic(Host& host, ParameterImage& image, const ClsLingue* lingue, std::string configScalePath,
                      std::string appTitle, std::string decimalComma = ",");
    ~LevelSettingLogic();
    LevelSettingLogic(const LevelSettingLogic&) = delete;
    LevelSettingLogic& operator=(const LevelSettingLogic&) = delete;

    // The window's load: remembers the selected type, texts, a 0.1 s pause with events
    // running, the rows filled from the image.
    void Load();
    // The thresholds into the rows (also after the type changed).
    void FillRows();
    // The 500 ms refresh: sensor voltage, lights, a changed sensor type refills the rows.
    void Refresh();
    // Starts the 500 ms timer on the host; each tick refreshes and emits StateChanged.
    void Start();
    void Stop();
    Signal<> StateChanged;

    // ---- user actions ----
    // HScrLevel(row) changed: kept in order with the neighbouring rows, stored, shown.
    void OnScroll(int row, int value);
    // CmdDefaultLevel: the type tables read again, the type's default thresholds stored.
    void OnDefault();
    // A key press; Esc asks the window to close.
    void OnKey(int keyCode);
    bool CloseRequested() const { return closeRequested_; }
    // The row whose TxtLevel should take the focus (once), or -1.
    int TakeFocusRow();

    // ---- state for the widgets ----
    const LevelTexts& Texts() const { return texts_; }
    const std::array<LevelRow, kRows>& Rows() const { return rows_; }
    const std::string& SensorVoltsText() const { return sensorVolts_; }  // LblSensVal
    int ScrollMax() const { return type_.FullScaleCount(); }             // every HScrLevel
    bool Inverted() const { return type_.Inverted(); }
    bool ChangeHandling() const { return changeHandling_; }

    // ---- rules ----
    // Index into block 3's Level (0 = T1 ... 3 = T4) shown on a row.
    static int ThresholdOfRow(int row, bool inverted) { return inverted ? kRows - 1 - row : row; }
    // full-scale voltage / full-scale count x raw, two decimals, one integer digit.
    static std::string VoltsText(int raw, const GasLevelType& type, const std::string& comma = ",");
    // Light k showing for reading r and thresholds T1-T4 (light 0's "below" case excepted:
    // it blinks, see Refresh).
    static bool LightOn(int light, double reading, const std::array<int, kRows>& t, bool inverted);

private:
    void UseType();  // type_ and the texts from the remembered code
    int StoredThreshold(int level) const;
    // The ordering rule, then the write copy, the text and the countdown.
    void StoreRow(int row, int value);

    Host& host_;
    ParameterImage& image_;
    const ClsLingue* lingue_;
    std::string configScalePath_;
    std::string appTitle_;
    std::string comma_;
    int typeCode_ = 0;
    GasLevelType type_;
    std::array<std::string, 3> dictionary_;
    LevelTexts texts_;
    std::array<LevelRow, kRows> rows_;
    std::string sensorVolts_;
    bool changeHandling_ = false;
    bool closeRequested_ = false;
    int focusRow_ = -1;
    std::unique_ptr<Timer> timer_;
};

}  // namespace gw
